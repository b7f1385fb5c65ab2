"""Adds up the GoogleTest XML reports of a test run: 'Tests: N passed, N failed'.
Each argument is a build's results folder (build/BUILD/results); a failure names its build."""
import glob
import os
import sys
import xml.etree.ElementTree as ET

passed = failed = skipped = 0
for folder in sys.argv[1:]:
    build = os.path.basename(os.path.dirname(os.path.abspath(folder)))
    for path in sorted(glob.glob(os.path.join(folder, "*.xml"))):
        for case in ET.parse(path).getroot().iter("testcase"):
            if case.find("failure") is not None:
                failed += 1
                print(f"FAILED ({build}):", os.path.basename(path), case.get("classname") + "." + case.get("name"))
            elif case.get("status") == "notrun" or case.get("result") == "skipped" or case.find("skipped") is not None:
                skipped += 1
            else:
                passed += 1
line = f"Tests: {passed} passed, {failed} failed"
if skipped:
    line += f", {skipped} skipped"
print(line)
sys.exit(1 if failed or passed == 0 else 0)
