#!/usr/bin/env python3
"""Runs every scenario of tests/e2e/test_*.py once (or those whose id contains a NAME given) on
the harness beside this, and prints "N passed, M failed" last. A scenario that fails, fails the
run. usage: run_all.py [--counts FILE] [NAME ...]; FILE gets "passed failed" for test.sh."""

import argparse
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent


def flatten(suite):
    for item in suite:
        yield from flatten(item) if isinstance(item, unittest.TestSuite) else [item]


class TimedResult(unittest.TextTestResult):
    def startTest(self, test):
        self.started = time.monotonic()
        super().startTest(test)

    def stopTest(self, test):
        super().stopTest(test)
        self.stream.writeln("    (%.1fs)" % (time.monotonic() - self.started))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--counts")
    parser.add_argument("names", nargs="*")
    options = parser.parse_args()
    sys.path.insert(0, str(HERE))  # the scenarios import e2e
    scenarios = str(HERE.parents[1] / "tests" / "e2e")
    tests = [t for t in flatten(unittest.TestLoader().discover(scenarios, top_level_dir=scenarios))
             if not options.names or any(name in t.id() for name in options.names)]
    result = unittest.TextTestRunner(stream=sys.stdout, verbosity=2, resultclass=TimedResult).run(
        unittest.TestSuite(tests))
    # A failing subtest is reported with its test as test_case: the test counts once.
    failed = {getattr(t, "test_case", t).id() for t, _ in result.failures + result.errors}
    passed = result.testsRun - len(failed & {t.id() for t in tests})
    if options.counts:
        Path(options.counts).write_text("%d %d\n" % (passed, len(failed)))
    print("%d passed, %d failed" % (passed, len(failed)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
