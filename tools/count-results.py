"""Adds up the GoogleTest XML reports of a test run: 'Tests: N passed, N failed'.
Each argument is a build's results folder (build/BUILD/results); a failure names its build,
and each build gets a line of its own before the total."""
import glob
import os
import sys
import xml.etree.ElementTree as ET


def summary(counts):
    line = f"{counts['passed']} passed, {counts['failed']} failed"
    return line + (f", {counts['skipped']} skipped" if counts["skipped"] else "")


total = {"passed": 0, "failed": 0, "skipped": 0}
for folder in sys.argv[1:]:
    build = os.path.basename(os.path.dirname(os.path.abspath(folder)))
    counts = {"passed": 0, "failed": 0, "skipped": 0}
    for path in sorted(glob.glob(os.path.join(folder, "*.xml"))):
        for case in ET.parse(path).getroot().iter("testcase"):
            if case.find("failure") is not None:
                counts["failed"] += 1
                print(f"FAILED ({build}):", os.path.basename(path), case.get("classname") + "." + case.get("name"))
            elif case.get("status") == "notrun" or case.get("result") == "skipped" or case.find("skipped") is not None:
                counts["skipped"] += 1
            else:
                counts["passed"] += 1
    print(f"  {build}: {summary(counts)}")
    for key in total:
        total[key] += counts[key]
print("Tests: " + summary(total))
sys.exit(1 if total["failed"] or total["passed"] == 0 else 0)
