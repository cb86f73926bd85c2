#!/usr/bin/env python3
"""Checks the Group Policy templates: the ADMX and each ADML are well-formed XML; the ADMX
names exactly the expected values, each once, all under the policy key and all stored as
strings, which is what the program reads; and every text and presentation the ADMX refers
to is in each language's ADML, which the Group Policy editor otherwise refuses.

Usage: policy_templates_test.py TEMPLATE_FOLDER VALUE_NAMES_FILE
"""

import pathlib
import re
import sys
import xml.etree.ElementTree as ElementTree

KEY = r"SOFTWARE\Policies\Tessaloy\Velmora"
NS = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}
LANGUAGES = ("en-US", "ja-JP")
ELEMENT_KINDS = ("boolean", "decimal", "enum", "list", "longDecimal", "multiText", "text")

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def parse(path):
    try:
        return ElementTree.parse(path).getroot()
    except (OSError, ElementTree.ParseError) as error:
        sys.exit(f"FAIL: {path}: {error}")


def expected_names(path):
    lines = pathlib.Path(path).read_text(encoding="utf-8").splitlines()
    return [line.strip() for line in lines if line.strip() and not line.startswith("#")]


def named_values(admx):
    """(value name, where) for every value a policy or one of its elements writes."""
    found = []
    for policy in admx.iterfind("p:policies/p:policy", NS):
        name = policy.get("name")
        check(policy.get("key") == KEY, f"{name}: key {policy.get('key')}")
        if policy.get("valueName"):
            found.append(policy.get("valueName"))
            for state in ("enabledValue", "disabledValue"):
                value = policy.find(f"p:{state}", NS)
                check(value is not None and value.find("p:string", NS) is not None,
                      f"{name}: {state} is not a string")
        for kind in ELEMENT_KINDS:
            for element in policy.iterfind(f"p:elements/p:{kind}", NS):
                found.append(element.get("valueName"))
                check(element.get("key") in (None, KEY), f"{name}: element key {element.get('key')}")
                check(kind in ("text", "enum", "decimal"), f"{name}: {kind} is not stored as a string")
                if kind == "decimal":
                    check(element.get("storeAsText") == "true", f"{name}: a number, not a string")
                for value in element.iterfind("p:item/p:value", NS):
                    check(value.find("p:string", NS) is not None, f"{name}: an item is not a string")
    return found


def references(admx, kind):
    text = ElementTree.tostring(admx, encoding="unicode")
    return set(re.findall(rf"\$\({kind}\.([^)]+)\)", text))


def main(folder, names_file):
    folder = pathlib.Path(folder)
    admx = parse(folder / "velmora.admx")
    expected = expected_names(names_file)
    named = named_values(admx)
    check(sorted(named) == sorted(set(named)), f"a value is named twice: {sorted(named)}")
    check(set(named) == set(expected),
          f"the template names {sorted(set(named))}, the program reads {sorted(expected)}")

    strings = references(admx, "string")
    presentations = references(admx, "presentation")
    for language in LANGUAGES:
        adml = parse(folder / language / "velmora.adml")
        defined = {s.get("id") for s in adml.iterfind("p:resources/p:stringTable/p:string", NS)}
        shown = {p.get("id") for p in adml.iterfind("p:resources/p:presentationTable/p:presentation", NS)}
        check(strings <= defined, f"{language}: missing texts {sorted(strings - defined)}")
        check(presentations <= shown,
              f"{language}: missing presentations {sorted(presentations - shown)}")

    for failure in failures:
        print(f"FAIL: {failure}", file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2]))
