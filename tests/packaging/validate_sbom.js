#!/usr/bin/env node
// usage: tests/packaging/validate_sbom.js SBOM [SBOM ...]
// Validates each SBOM with the CycloneDX project's own strict validator: the CycloneDX 1.6 JSON
// schema with its formats checked (date-time, email, IRI, ...). The library and its schema
// validator are pinned by package-lock.json beside this script: `npm ci --omit=optional` here
// installs them (the optional XML libraries are not needed for JSON).
'use strict'
const { readFileSync } = require('fs')
const CDX = require('@cyclonedx/cyclonedx-library')

async function main (paths) {
  const validator = new CDX.Validation.JsonStrictValidator('1.6')  // the schema version
  let failed = 0
  for (const path of paths) {
    const errors = await validator.validate(readFileSync(path, 'utf8'))
    if (errors !== null) {
      console.log(`${path}: ${JSON.stringify(errors, null, 1)}`)
      ++failed
    }
  }
  console.log(`${paths.length - failed} SBOMs valid by the CycloneDX 1.6 schema and formats, ${failed} not`)
  process.exitCode = failed ? 1 : 0
}

main(process.argv.slice(2))
