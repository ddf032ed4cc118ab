#!/usr/bin/env python3
"""Reads the JUnit files that CTest writes (--output-junit) for tools/test.sh.

    junit.py count FIRST SECOND                a target's tests over its two runs, as
                                               "TOTAL PASSED FAILED SKIPPED SECOND"
    junit.py second-runs TARGET FIRST SECOND   the tests that failed, then passed, each with
                                               the output of its first failure

FIRST is the file of the first run and SECOND that of the run of the failed tests once more,
which may not exist. In the count SKIPPED is every test that neither passed nor failed (one
that asked to be skipped), and SECOND the tests that passed only on the second run.
"""

import os
import sys
import xml.etree.ElementTree as tree

# The end of a first failure's output that the list shows.
SHOWN_LINES = 80


def cases(path):
    """The test cases of a JUnit file by name."""
    return {case.get("name"): case for case in tree.parse(path).getroot().iter("testcase")}


def statuses(path):
    """Each test's status in a JUnit file ("run", "fail" or another); none when the file does not exist."""
    if not os.path.exists(path):
        return {}
    return {name: case.get("status") for name, case in cases(path).items()}


def count(first, second):
    final = statuses(first)
    again = statuses(second)
    final.update(again)
    passed = sum(1 for status in final.values() if status == "run")
    failed = sum(1 for status in final.values() if status == "fail")
    passed_again = sum(1 for status in again.values() if status == "run")
    print(len(final), passed, failed, len(final) - passed - failed, passed_again)


def second_runs(target, first, second):
    # Both files must be there: the list is asked for only after a second run.
    first_run, second_run = cases(first), cases(second)
    for name, case in second_run.items():
        if case.get("status") != "run" or name not in first_run:
            continue
        lines = (first_run[name].findtext("system-out") or "").rstrip().splitlines()
        shown = lines[-SHOWN_LINES:]
        print(
            f"-- {target} {name}: failed, then passed. The first run's output"
            + (f" (its last {len(shown)} of {len(lines)} lines)" if len(shown) < len(lines) else "")
            + ":"
        )
        for line in shown:
            print("   " + line)


def main(argv):
    commands = {"count": (count, 2), "second-runs": (second_runs, 3)}
    if len(argv) < 2 or argv[1] not in commands or len(argv) - 2 != commands[argv[1]][1]:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    function, _ = commands[argv[1]]
    function(*argv[2:])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
