#!/usr/bin/env python3
"""Adds up the GoogleTest XML results of every build and the fuzz results, and prints
the closing line "N passed, M failed". Arguments name build or test steps that failed;
a test program that crashed without writing its XML counts through its ctest step."""
import glob
import sys
import xml.etree.ElementTree as ET

passed = failed = 0
for path in sorted(glob.glob("build/*/test-results/*.xml")):
    try:
        root = ET.parse(path).getroot()
    except ET.ParseError:
        print(f"unreadable results: {path}")
        failed += 1
        continue
    for case in root.iter("testcase"):
        if case.get("status") == "notrun" or case.get("result") == "skipped":
            continue
        if case.find("failure") is not None:
            failed += 1
            print(f"FAILED {path}: {case.get('classname')}.{case.get('name')}")
        else:
            passed += 1
# Test programs that ctest saw fail without a failure in their own results died early
# (a crash, a sanitizer report, a time-out): each counts as one failure.
for junit in sorted(glob.glob("build/*/ctest-junit.xml")):
    build = junit.split("/")[1]
    try:
        cases = list(ET.parse(junit).getroot().iter("testcase"))
    except ET.ParseError:
        print(f"unreadable ctest results: {junit}")
        failed += 1
        continue
    for case in cases:
        if case.get("status") != "fail":
            continue
        own = f"build/{build}/test-results/{case.get('name')}.xml"
        try:
            own_failures = sum(1 for c in ET.parse(own).getroot().iter("testcase") if c.find("failure") is not None)
        except (OSError, ET.ParseError):
            own_failures = 0
        if own_failures == 0:
            print(f"FAILED test program {build}/{case.get('name')} (died or timed out)")
            failed += 1
for path in sorted(glob.glob("build/fuzz-results/*.result")):
    if open(path).read().strip() == "pass":
        passed += 1
    else:
        failed += 1
        print(f"FAILED fuzz target: {path}")
for step in sys.argv[1:]:
    print(f"FAILED step: {step}")
    failed += 1
print(f"{passed} passed, {failed} failed")
sys.exit(1 if failed else 0)
