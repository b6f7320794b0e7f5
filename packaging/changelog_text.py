#!/usr/bin/env python3
"""Prints CHANGELOG.md as plain text for the Windows zip, where Notepad shows it as it is: headings
as lines (underlined at the first two levels), links as their text and URL, code spans as their
text, and paragraphs and list items wrapped at 78 columns.

usage: changelog_text.py CHANGELOG.md
"""
import re
import sys
import textwrap

WIDTH = 78
DEFINITION = re.compile(r"^\[([^]]*)\]: ")  # a link definition, "[1.0.0]: url"


def inline(text):
    text = re.sub(r"\[([^]]*)\]\(([^)]*)\)", r"\1 <\2>", text)  # [text](url)
    text = DEFINITION.sub(r"\1: ", text, count=1)
    return text.replace("`", "")


def heading(level, text):
    text = re.sub(r"\[([^]]*)\]", r"\1", text)  # "[1.0.0] - date": the version is a link
    underline = {1: "=", 2: "-"}.get(level)
    return [text] + ([underline * len(text)] if underline else [])


def blocks(lines):
    """Yields each heading, paragraph, list item and blank line of the Markdown as one string."""
    block = []
    for line in lines + [""]:
        starts = not line.strip() or line.startswith(("#", "- ")) or DEFINITION.match(line)
        if block and starts:
            yield " ".join(block)
            block = []
        if not line.strip():
            yield ""
        elif line.startswith("#"):
            yield line
        else:
            block.append(line.strip())


out = []
with open(sys.argv[1], encoding="utf-8") as f:
    for block in blocks(f.read().splitlines()):
        if block.startswith("#"):
            marks, text = block.split(" ", 1)
            out += heading(len(marks), inline(text))
        elif block.startswith("- "):
            out += textwrap.wrap(inline(block[2:]), WIDTH, initial_indent="- ",
                                 subsequent_indent="  ", break_on_hyphens=False,
                                 break_long_words=False)
        elif block:
            out += textwrap.wrap(inline(block), WIDTH, break_on_hyphens=False,
                                 break_long_words=False)
        elif out and out[-1]:
            out.append("")
print("\n".join(out).rstrip("\n"))
