#!/usr/bin/env python3
"""Adds up the test cases of CTest runs from their JUnit reports.

  count_cases.py REPORT.xml...

A CTest test that prints "N passed, M failed" (a test program run whole, as
the Windows layer's tests, or one end-to-end case) counts as the cases it
reports; any other (one GoogleTest case, the layers check, a fuzz run)
counts as one. A test CTest failed whose own count shows no failure (it died
after its summary, or timed out) counts one failure more. Prints the line
"N passed, M failed" and exits 1 when a case failed or a report is missing.
"""
import re
import sys
import xml.etree.ElementTree as ET

SUMMARY = re.compile(r"^(\d+) passed, (\d+) failed\s*$", re.M)


def main() -> int:
    passed = failed = 0
    for report in sys.argv[1:]:
        try:
            cases = ET.parse(report).getroot().iter("testcase")
        except (OSError, ET.ParseError) as e:
            print(f"count_cases: no report {report}: {e}")
            failed += 1
            continue
        for case in cases:
            ok = case.get("status") != "fail" and case.find("failure") is None
            if case.get("status") == "notrun" or case.find("skipped") is not None:
                ok = False
            out = case.findtext("system-out") or ""
            found = SUMMARY.findall(out.replace("\r", ""))
            if found:
                p, f = (int(x) for x in found[-1])
                if not ok and f == 0:
                    f = 1
            else:
                p, f = (1, 0) if ok else (0, 1)
            passed += p
            failed += f
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
