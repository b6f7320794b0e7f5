#!/usr/bin/env node
// usage: tests/packaging/validate_sbom.js SBOM [SBOM ...]
// Reads each SBOM with parsers its generator does not share: the CycloneDX project's own strict
// validator (the CycloneDX 1.6 JSON schema with its formats checked: date-time, email, IRI, ...);
// packageurl-js for every purl, which must name what the component says (its version; for a
// Debian package its architecture, its Debian release as the SBOM's operating system names it,
// and as upstream the source package its pedigree starts with; for a Debian source, arch=source);
// and spdx-expression-parse for every licence, by the SPDX 2 expression grammar and licence list,
// where each LicenseRef has its text. The libraries are pinned by package-lock.json beside this
// script: `npm ci --omit=optional` here installs them (the optional XML libraries are not needed).
'use strict'
const { readFileSync } = require('fs')
const CDX = require('@cyclonedx/cyclonedx-library')
const { PackageURL } = require('packageurl-js')
const parseSpdx = require('spdx-expression-parse')

// The purl of component c, parsed; PROBLEM(text) for what does not hold.
function checkPurl (c, system, problem) {
  let purl
  try {
    purl = PackageURL.fromString(c.purl)
  } catch (error) {
    return problem(`${c.name}: purl ${c.purl}: ${error.message}`)
  }
  if (purl.version !== c.version) problem(`${c.name}: purl ${c.purl} is not of version ${c.version}`)
  if (purl.type !== 'deb') return
  const q = purl.qualifiers || {}
  const source = c.pedigree?.ancestors?.[0]
  if (purl.namespace !== 'debian' || !q.arch) problem(`${c.name}: purl ${c.purl} names no Debian architecture`)
  if (system && q.distro !== `${system.name}-${system.version}`) {
    problem(`${c.name}: purl ${c.purl} is not of the operating system ${system.name} ${system.version}`)
  }
  if (!source || q.upstream !== `${source.name}@${source.version}`) {
    problem(`${c.name}: purl ${c.purl} names not its source package ${source?.name}@${source?.version}`)
  }
  for (const ancestor of c.pedigree?.ancestors || []) {
    let parsed
    try {
      parsed = PackageURL.fromString(ancestor.purl)
    } catch (error) {
      problem(`${c.name}: ancestor purl ${ancestor.purl}: ${error.message}`)
      continue
    }
    if (parsed.name !== ancestor.name || parsed.version !== ancestor.version || parsed.qualifiers?.arch !== 'source') {
      problem(`${c.name}: ancestor purl ${ancestor.purl} is not the source ${ancestor.name} ${ancestor.version}`)
    }
  }
}

// The LicenseRefs of a parsed SPDX expression.
function refs (node) {
  if (node.license) return node.license.startsWith('LicenseRef-') ? [node.license] : []
  return [...refs(node.left), ...refs(node.right)]
}

// Each licence of component c parses by the SPDX 2 grammar, and each LicenseRef has its text: a
// named licence's own, an expression's as a licence-text property.
function checkLicences (c, problem) {
  const texts = new Map((c.properties || []).filter(p => p.name.startsWith('licence-text:'))
    .map(p => [p.name.slice('licence-text:'.length), p.value]))
  for (const { license, expression } of c.licenses || []) {
    const spdx = expression ?? license.id ?? license.name
    let parsed
    try {
      parsed = parseSpdx(spdx)
    } catch (error) {
      problem(`${c.name}: licence ${spdx}: ${error.message}`)
      continue
    }
    if (license && (parsed.license !== spdx || parsed.exception)) problem(`${c.name}: ${spdx} is not one licence`)
    if (license?.id && spdx.startsWith('LicenseRef-')) problem(`${c.name}: ${spdx} is no SPDX id`)
    for (const ref of refs(parsed)) {
      if (!(license ? license.text?.content : texts.get(ref))) problem(`${c.name}: no text for ${ref}`)
    }
  }
}

async function main (paths) {
  const validator = new CDX.Validation.JsonStrictValidator('1.6') // the schema version
  let failed = 0
  for (const path of paths) {
    const text = readFileSync(path, 'utf8')
    const problems = []
    const problem = line => problems.push(line)
    const errors = await validator.validate(text)
    if (errors !== null) problem(JSON.stringify(errors, null, 1))
    const bom = JSON.parse(text)
    const system = (bom.components || []).find(c => c.type === 'operating-system')
    for (const c of [bom.metadata.component, ...(bom.components || [])]) {
      if (c.purl) checkPurl(c, system, problem)
      checkLicences(c, problem)
    }
    for (const line of problems) console.log(`${path}: ${line}`)
    failed += problems.length > 0
  }
  console.log(`${paths.length - failed} SBOMs valid by the CycloneDX 1.6 schema, with purls and SPDX licence ` +
    `expressions that parse, ${failed} not`)
  process.exitCode = failed ? 1 : 0
}

main(process.argv.slice(2))
