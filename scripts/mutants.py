#!/usr/bin/env python3
"""Plants small faults in the code one at a time and tells which ones the test suite notices.

Each fault replaces one exact piece of text in one file. For each, the script applies it in a
scratch clone of the working tree, builds, runs ctest, and puts the file back. A fault that no
test notices is a blind spot of the suite. The clone is configured and built once, in its own
build folder; each fault then costs an incremental rebuild of what its file touches and a full
test run (a minute or more), so it is not part of CI. Run it before closing work that adds tests:

  scripts/mutants.py                 every fault
  scripts/mutants.py NAME...         only these faults
  scripts/mutants.py --list          the faults, one line each
  scripts/mutants.py --keep DIR      use (and keep) DIR as the scratch clone, to run again faster

The clone takes the working tree as it is, uncommitted changes included. The exit status is 0
when every fault that a test can see was caught.
"""

import argparse
import dataclasses
import os
import re
import shutil
import subprocess
import sys
import tempfile


@dataclasses.dataclass
class Fault:
    name: str
    path: str  # relative to the repository
    find: str  # must occur exactly once in the file
    replace: str
    meaning: str
    by_review: bool = False  # no test can see it (a power cut, say): a miss is expected


FAULTS = [
    Fault("header-prefix", "src/format/sections.cpp",
          "current == header", "current.starts_with(header)",
          "a section header recognised by its prefix ([TS] x taken as [TS])"),
    Fault("fold-stops-before-z", "src/platform/windows_1252.cpp",
          "byte >= 'A' && byte <= 'Z'", "byte >= 'A' && byte < 'Z'",
          "case folding of piece names stops before Z"),
    Fault("fold-ascii-only", "src/platform/windows_1252.cpp",
          "(byte >= 0xC0 && byte <= 0xDE && byte != 0xD7)", "false",
          "piece names that differ in an accented capital (ÉTÉ, été) meet on a FAT disk"),
    Fault("sat-table-title", "src/model/messages.h",
          '"File sat_position.txt...."', '"File sat_position.txt..."',
          "the title of the satellite-table box changed"),
    Fault("script-tries", "src/split/split_script.h",
          "kSplitScriptTries = 5", "kSplitScriptTries = 2",
          "the split script is tried 2 times instead of 5"),
    Fault("crc-polynomial", "tools/converters/vrk_binary.cpp",
          "0xEDB88320u ^", "0x82F63B78u ^",
          "the .vrk checksum is CRC-32C instead of the IEEE CRC-32"),
    Fault("radio-marks-kept", "src/split/marking.cpp",
          "  for (Service& service : set.radio_services) service.kept = false;\n", "",
          "with remove_radios, radio services keep their marks from an earlier save"),
    Fault("save-skips-failed-report", "src/split/save_driver.cpp",
          "ReportFailedConversions(workspace);", "",
          "a save no longer reports earlier failed conversions first"),
    Fault("split-skips-failed-report", "src/split/split_run.cpp",
          "ReportFailedConversions(workspace_);", "",
          "a split no longer reports earlier failed conversions first"),
    Fault("link-replaced", "src/platform/files.cpp",
          "if (!link) return current;", "return current;",
          "a save through a symbolic link replaces the link"),
    Fault("mode-not-kept", "src/platform/atomic_file.cpp",
          "return fchmod(descriptor, replaced.st_mode & 07777) == 0;", "return true;",
          "a save gives a private list the mode of a new file"),
    Fault("temporary-inherited", "src/platform/atomic_file.cpp",
          "O_NOFOLLOW | O_CLOEXEC, 0600", "O_NOFOLLOW, 0600",
          "converters started during a split hold the split script open"),
    Fault("no-folder-flush", "src/platform/files.cpp",
          "|| FlushFolderOf(target))", "|| true)",
          "the folder is not flushed after a rename: a power cut may bring the old file back"),
    Fault("conversion-matched-by-text", "src/platform/program_queue.cpp",
          "FileIdentity(job.target)", "job.target",
          "load ./big.vrk does not wait for the conversion to big.vrk"),
    Fault("undone-not-counted", "src/model/workspace.h",
          "++left_undone;", "",
          "--run exits with 0 after a failed save, conversion or merge"),
    Fault("vrk-smuggles-lines", "tools/converters/vrk_binary.cpp",
          "  if (fault) {", "  if (false) {",
          "a .vrk text with a CR LF comes back as extra records"),
    Fault("empty-output-taken", "src/platform/program_queue.cpp",
          '  if (*size == 0) return "it wrote an empty file";\n', "",
          "a converter to binary that writes an empty file replaces the target with it"),
    Fault("save-not-read-back", "src/split/save_driver.cpp",
          "AtLink::follow, Verification::read_back}", "AtLink::follow}",
          "a saved .vrk list replaces the earlier one without being read back"),
    Fault("read-back-counts-only", "src/format/read_back.cpp",
          "  if (!reason) reason = FirstInTheSections(as_written.records(), as_read_back.records(), "
          "records);\n", "",
          "a read-back with a renamed channel is taken as the list"),
    Fault("converter-leftovers-run-on", "src/platform/system_platform.cpp",
          "    StopGroup();\n    waitpid(pid_, &status_, 0);", "    waitpid(pid_, &status_, 0);",
          "a child that a converter left running goes on writing into its output"),
    Fault("no-parent-death-signal", "src/platform/system_platform.cpp",
          "prctl(PR_SET_PDEATHSIG, SIGKILL);", "",
          "a converter outlives a killed tool"),
    Fault("option-like-name", "src/platform/paths.h",
          "name.insert(0, std::string(\".\") + kFolderSeparator);", "static_cast<void>(0);",
          "load -o.vrk gives the converter -o.vrk, which it may take for an option"),
    Fault("unlocked-start", "src/session/startup.cpp",
          "  if (lock.error().held_by_another) {",
          "  if (!lock.error().held_by_another) return {};\n  if (lock.error().held_by_another) {",
          "a start folder whose work folder cannot be locked lets the tool start unlocked"),
    Fault("lock-on-a-name", "src/platform/folder_lock.cpp",
          "open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)",
          'open((folder + "/vrk-split-merge.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)',
          "the lock hangs on a file name in the work folder, which can be deleted or a link"),
    Fault("removal-follows-links", "src/platform/files.cpp",
          "O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC",
          "O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC",
          "removing a staging folder empties the folder that a link in it leads to"),
    Fault("staging-folder-by-name", "src/platform/atomic_file.cpp",
          "held && held->id() == *entry.id", "held",
          "start-up empties a folder put in the place of a killed run's staging folder"),
    Fault("temporary-not-journaled", "src/platform/atomic_file.cpp",
          "    RecordFile(journal_, temporary_);\n", "",
          "a killed save's temporary is not named in the journal and stays for good"),
    Fault("journal-never-rewritten", "src/platform/temporary_journal.cpp",
          "if (records_since_rewrite_ >= kRecordsBeforeRewrite &&", "if (false &&",
          "the journal grows with every temporary the tool ever made"),
    Fault("fifo-replaced", "src/platform/atomic_file.cpp",
          "  return kNoRegularFile;\n#endif", "  return std::nullopt;\n#endif",
          "a save replaces a FIFO or a device with a regular file"),
    Fault("no-fsync", "src/platform/atomic_file.cpp",
          "!FlushToDisk(file_)", "false",
          "saved files are not flushed to disk (checked by review, not by a test)",
          by_review=True),
]


def run(command, cwd, log=None, timeout=None):
    """Runs a command; returns (status, output)."""
    result = subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            text=True, errors="replace", timeout=timeout)
    if log is not None:
        with open(log, "a", encoding="utf-8") as out:
            out.write(result.stdout)
    return result.returncode, result.stdout


def make_clone(repo, scratch):
    """Copies the working tree (tracked and untracked files, not ignored ones) into `scratch`."""
    os.makedirs(scratch, exist_ok=True)
    _, listing = run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"], repo)
    for relative in filter(None, listing.split("\0")):
        source = os.path.join(repo, relative)
        if not os.path.isfile(source):
            continue  # deleted in the working tree
        target = os.path.join(scratch, relative)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        if not os.path.exists(target) or not _same_file_content(source, target):
            # A fresh time stamp, not the source's: the clone's build must see the file as newer
            # than what it built from the clone's earlier copy.
            shutil.copyfile(source, target)
            shutil.copymode(source, target)


def _same_file_content(a, b):
    with open(a, "rb") as fa, open(b, "rb") as fb:
        return fa.read() == fb.read()


def build_and_test(scratch, jobs, log):
    """Builds the clone and runs ctest; returns (built, failed test names)."""
    build = os.path.join(scratch, "build")
    status, _ = run(["cmake", "--build", build, "-j", str(jobs)], scratch, log)
    if status != 0:
        return False, []
    status, output = run(["ctest", "-j", str(jobs), "--timeout", "600"], build, log)
    # A parameterised test's name may be followed by "# GetParam() = ...".
    failed = re.findall(r"^\s*\d+ - (\S+)(?:\s+#.*?)? \((?:Failed|Timeout|SEGFAULT|"
                        r"Subprocess aborted|Child aborted|Exception)", output, re.MULTILINE)
    if status != 0 and not failed:
        failed = ["(ctest failed: see the log)"]
    return True, failed


def plant(scratch, fault):
    """Applies the fault; returns the file's original text, or None when the text is not found
    exactly once (the fault is stale and must be updated)."""
    path = os.path.join(scratch, fault.path)
    if not os.path.isfile(path):
        return None
    with open(path, encoding="utf-8", errors="surrogateescape") as file:
        original = file.read()
    if original.count(fault.find) != 1:
        return None
    with open(path, "w", encoding="utf-8", errors="surrogateescape") as file:
        file.write(original.replace(fault.find, fault.replace))
    return original


def restore(scratch, fault, original):
    with open(os.path.join(scratch, fault.path), "w", encoding="utf-8",
              errors="surrogateescape") as file:
        file.write(original)


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("names", nargs="*", help="faults to plant (default: all)")
    parser.add_argument("--list", action="store_true", help="list the faults and stop")
    parser.add_argument("--keep", metavar="DIR", help="scratch clone to use and keep")
    parser.add_argument("--jobs", type=int, default=int(os.environ.get("JOBS", os.cpu_count() or 2)),
                        help="parallel builds and tests (default: $JOBS, else the number of cores)")
    args = parser.parse_args()

    if args.list:
        for fault in FAULTS:
            print(f"{fault.name:36} {fault.path}: {fault.meaning}")
        return 0
    unknown = [name for name in args.names if name not in {f.name for f in FAULTS}]
    if unknown:
        print("unknown fault(s): " + ", ".join(unknown), file=sys.stderr)
        return 2
    faults = [f for f in FAULTS if not args.names or f.name in args.names]

    repo = subprocess.run(["git", "rev-parse", "--show-toplevel"], stdout=subprocess.PIPE,
                          text=True, check=True).stdout.strip()
    scratch = args.keep or tempfile.mkdtemp(prefix="vsm-mutants-")
    log = os.path.join(scratch, "mutants.log")
    print(f"Scratch clone: {scratch} (log: {log})")
    make_clone(repo, scratch)
    status, _ = run(["cmake", "-S", ".", "-B", "build", "-DCMAKE_BUILD_TYPE=Release",
                     "-DVSM_BUILD_TESTS=ON"], scratch, log)
    if status != 0:
        print("configuring the clone failed; see the log", file=sys.stderr)
        return 1
    built, failed = build_and_test(scratch, args.jobs, log)
    if not built or failed:
        print("the suite is not green without faults; fix that first: " + ", ".join(failed),
              file=sys.stderr)
        return 1

    caught = 0
    results = []
    for fault in faults:
        original = plant(scratch, fault)
        if original is None:
            results.append((fault, "STALE", "the text to replace is not found exactly once"))
            continue
        try:
            built, failed = build_and_test(scratch, args.jobs, log)
        finally:
            restore(scratch, fault, original)
        if not built:
            results.append((fault, "NO BUILD", "the fault does not compile; change it"))
        elif failed:
            caught += not fault.by_review
            shown = ", ".join(failed[:4]) + (f" and {len(failed) - 4} more" if len(failed) > 4 else "")
            results.append((fault, "caught", shown))
        else:
            results.append((fault, "review" if fault.by_review else "MISSED", fault.meaning))
        print(f"{fault.name}: {results[-1][1]}", flush=True)

    print()
    for fault, verdict, detail in results:
        print(f"{verdict:8} {fault.name:36} {detail}")
    testable = sum(not fault.by_review for fault in faults)
    print(f"\nScore: {caught} of {testable} faults caught"
          + (f" ({len(faults) - testable} left to review)" if testable < len(faults) else ""))
    run(["cmake", "--build", "build", "-j", str(args.jobs)], scratch, log)  # leave it as it was
    if not args.keep:
        shutil.rmtree(scratch, ignore_errors=True)
    return 0 if caught == testable else 1  # a blind spot, a stale or a broken fault


if __name__ == "__main__":
    sys.exit(main())
