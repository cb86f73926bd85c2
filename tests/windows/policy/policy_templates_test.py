#!/usr/bin/env python3
"""Checks the Group Policy templates: the ADMX and each ADML are well-formed XML; every value
the ADMX names is under the policy key and stored as a string, as the program reads them;
every text and presentation the ADMX refers to is in each ADML, which the Group Policy
editor otherwise refuses. That the ADMX names exactly the values the program reads, each
once, is checked against the program's own table (tests/core/settings/PolicyTemplatesTest).

Usage: policy_templates_test.py TEMPLATE_FOLDER
"""

import pathlib
import re
import sys
import xml.etree.ElementTree as ElementTree

KEY = r"SOFTWARE\Policies\Tessaloy\Velmora"
NS = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def parse(path):
    try:
        return ElementTree.parse(path).getroot()
    except (OSError, ElementTree.ParseError) as error:
        sys.exit(f"FAIL: {path}: {error}")


def named_values(admx):
    """Every value name a policy or one of its elements writes."""
    found = []
    for policy in admx.iterfind("p:policies/p:policy", NS):
        name = policy.get("name")
        check(policy.get("key") == KEY, f"{name}: key {policy.get('key')}")
        if policy.get("valueName"):
            found.append(policy.get("valueName"))
            for state in ("enabledValue", "disabledValue"):
                check(policy.find(f"p:{state}/p:string", NS) is not None,
                      f"{name}: {state} is not a string")
        for element in policy.iterfind("p:elements/*", NS):
            kind = element.tag.split("}")[1]
            found.append(element.get("valueName"))
            check(element.get("key") in (None, KEY), f"{name}: element key {element.get('key')}")
            check(kind in ("text", "enum") or element.get("storeAsText") == "true",
                  f"{name}: {kind} is not stored as a string")
            for value in element.iterfind("p:item/p:value", NS):
                check(value.find("p:string", NS) is not None, f"{name}: an item is not a string")
    return found


def main(folder):
    folder = pathlib.Path(folder)
    admx = parse(folder / "velmora.admx")
    check(named_values(admx), "the template names no value")

    text = ElementTree.tostring(admx, encoding="unicode")
    strings = set(re.findall(r"\$\(string\.([^)]+)\)", text))
    presentations = set(re.findall(r"\$\(presentation\.([^)]+)\)", text))
    for language in ("en-US", "ja-JP"):
        adml = parse(folder / language / "velmora.adml")
        tables = "p:resources/p:{}/p:{}"
        defined = {s.get("id") for s in adml.iterfind(tables.format("stringTable", "string"), NS)}
        shown = {p.get("id") for p in
                 adml.iterfind(tables.format("presentationTable", "presentation"), NS)}
        check(strings <= defined, f"{language}: missing texts {sorted(strings - defined)}")
        check(presentations <= shown,
              f"{language}: missing presentations {sorted(presentations - shown)}")

    for failure in failures:
        print(f"FAIL: {failure}", file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1]))
