"""Writes the Python module's docstrings from the reference comments of the
public header, so help(quorvel) reads like quorveldll.h.

    gendocstrings.py <quorveldll.h> <output .inc>

The output holds one line per documented function and enumeration:
    {"Name", R"__doc__(text)__doc__"},
"""
import re
import sys

SECTIONS = {
    "connection": "Library, connection and errors",
    "system": "System configuration and control",
    "collection": "Photon collection and collected data",
    "streaming": "Photon streaming and bulk reads",
    "registers": "Direct register access",
    "gm": "the Gamma modules section",
    "asicglobal": "the ASIC global settings section",
    "asicchannel": "the ASIC channel settings section",
    "files": "Files",
    "formats": "docs/formats.md",
    "guide": "the guide",
}


def plain(comment):
    """A Doxygen block as plain text."""
    lines = []
    for line in comment.splitlines():
        line = re.sub(r"^\s*(/\*\*|\*/|\*|///)\s?", "", line).rstrip()
        if line.endswith("*/"):
            line = line[:-2].rstrip()
        lines.append(line)
    text = "\n".join(lines).strip()
    text = re.sub(r"\\brief\s+", "", text)
    text = re.sub(r"\\param\[out\]\s+(\w+)", r"\1 (returned):", text)
    text = re.sub(r"\\param\s+(\w+)", r"\1:", text)
    text = re.sub(r"\\return\s+", "Returns: ", text)
    text = re.sub(r"\\ref\s+(\w+)", lambda m: SECTIONS.get(m.group(1), m.group(1)), text)
    text = re.sub(r"#(\w+)", r"\1", text)
    text = text.replace("QuorvelDll::", "")
    # Each \param and Returns on a line of its own.
    text = re.sub(r"\n(\w+ \(returned\):|\w+:|Returns:)", r"\n\n\1", text)
    return text


def members(header, start):
    """The documented members of the enumeration whose body starts at start."""
    body = header[start:header.index("};", start)]
    lines = [f"{name} = {value}: {doc.strip().replace('QuorvelDll::', '')}"
             for name, value, doc in re.findall(r"(\w+)\s*=\s*(-?\d+),?\s*///<\s*([^\n]*)", body)]
    return "\n\n" + "\n".join(lines) if lines else ""


def entries(header):
    found = {}
    # A documentation block, then the declaration it documents.
    pattern = re.compile(r"(/\*\*(?:(?!\*/).)*\*/|(?:[ \t]*///[^\n]*\n)+)\s*"
                         r"(?:static\s+[\w:<>\s\*&]+?\b(\w+)\s*\(|enum\s+(\w+))", re.S)
    for match in pattern.finditer(header):
        name = match.group(2) or match.group(3)
        comment = match.group(1)
        if "\\addtogroup" in comment or "\\defgroup" in comment or "@}" in comment:
            continue
        text = plain(comment)
        if match.group(3):
            text += members(header, match.end())
        found.setdefault(name, text)
    # The header's rules for every function, for the module's own text.
    rules = re.search(r"/\*\*\s*\n\s*\*\s*\\file(?:(?!\*/).)*\*/", header, re.S)
    if rules:
        found["__file__"] = re.sub(r"^\\file\s+\S+\s*", "", plain(rules.group(0)))
    return found


def main():
    header = open(sys.argv[1], encoding="utf-8").read()
    with open(sys.argv[2], "w", encoding="utf-8") as out:
        for name, text in entries(header).items():
            assert ")__doc__" not in text
            out.write(f'{{"{name}", R"__doc__({text})__doc__"}},\n')


if __name__ == "__main__":
    main()
