#!/usr/bin/env python3
"""Keeps the man pages and the bash completion in step with the programs' own help.

Every subcommand that `tallyrune-updatectl --help` lists, and every option that its help or a
subcommand's help prints, must be in the man page: a subcommand's options in that subcommand's
section. reg's Windows-style switches (/v, /ve, ...) count as options of the reg operation whose
`/?` prints them. tallyrune-update is checked too once it prints help instead of opening its
window. Then a few completions are tried in bash.

  check_docs.py BIN_DIR MAN_DIR COMPLETION_FILE
"""
import os
import re
import subprocess
import sys
import tempfile

failures = []


def run(args, env=None, timeout=30):
    try:
        p = subprocess.run(args, capture_output=True, text=True, timeout=timeout, env=env, stdin=subprocess.DEVNULL)
    except subprocess.TimeoutExpired:
        return None
    return p.stdout + p.stderr


def man_text(path):
    """The page's roff as plain text, split into (heading, text) per .SH/.SS section."""
    text = open(path, encoding="utf-8").read()
    text = re.sub(r"\\f[BIRP]", "", text)
    text = text.replace("\\-", "-").replace("\\&", "").replace("\\e", "\\")
    sections, heading, lines = [], "", []
    for line in text.splitlines():
        m = re.match(r"\.(SH|SS)\s+(.*)", line)
        if m:
            sections.append((heading, "\n".join(lines)))
            heading, lines = m.group(2).strip('"').lower(), []
        else:
            lines.append(line)
    sections.append((heading, "\n".join(lines)))
    return text, sections


def long_and_short_options(help_text):
    return set(re.findall(r"(?<![\w/-])(--?[A-Za-z][\w-]*)", help_text))


def windows_switches(help_text):
    return set(re.findall(r"(?<![\w/\\.*'])(/[A-Za-z?]{1,2})(?![\w/])", help_text))


def mentions(text, word):
    return re.search(r"(?<![\w/-])" + re.escape(word) + r"(?![\w-])", text) is not None


def check(page_name, where, text, words, what):
    for word in sorted(words):
        if not mentions(text, word):
            failures.append(f"{page_name}: {what} {word} is not in {where}")


def section(sections, name):
    for heading, text in sections:
        if heading == name:
            return text
    failures.append(f"no section '{name}' in the man page")
    return ""


def check_updatectl(bin_dir, man_dir):
    ctl = os.path.join(bin_dir, "tallyrune-updatectl")
    page = os.path.join(man_dir, "tallyrune-updatectl.1")
    whole, sections = man_text(page)
    top = run([ctl, "--help"])
    commands = re.findall(r"^  ([a-z]+)\b", top, re.M)
    if len(commands) < 7:
        failures.append(f"tallyrune-updatectl --help lists only {commands}")
    check(page, "the page", whole, long_and_short_options(top), "option")
    for command in commands:
        if not mentions(whole, "tallyrune-updatectl " + command):
            failures.append(f"{page}: subcommand {command} has no synopsis")
        text = section(sections, command)
        if command == "reg":
            usage = run([ctl, "reg", "/?"])
            listed = re.search(r"OPERATION\s+([A-Z]+(?:\s*\|\s*[A-Z]+)+)", usage)
            operations = re.findall(r"[a-z]+", listed.group(1).lower()) if listed else []
            if not operations:
                failures.append("reg /? names no operation")
            for op in operations:
                help_text = run([ctl, "reg", op, "/?"])
                check(page, f"section 'reg {op}'", section(sections, "reg " + op), windows_switches(help_text), "switch")
            continue
        help_text = run([ctl, command, "--help"])
        if "Usage:" not in help_text:
            failures.append(f"tallyrune-updatectl {command} --help prints no usage")
        check(page, f"section '{command}'", text, long_and_short_options(help_text) - {"--help", "-h"}, "option")


def check_update(bin_dir, man_dir):
    # Until the window answers --help it opens instead; it is then ended after a few seconds.
    with tempfile.TemporaryDirectory() as root:
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", WINCOMPAT_ROOT=root, XDG_RUNTIME_DIR=root)
        help_text = run([os.path.join(bin_dir, "tallyrune-update"), "--help"], env=env, timeout=5)
    if help_text is None or "sage" not in help_text:
        return
    page = os.path.join(man_dir, "tallyrune-update.1")
    whole, _ = man_text(page)
    check(page, "the page", whole, long_and_short_options(help_text), "option")


def complete(completion, line):
    words = line.split(" ")
    script = ('source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); '
              'COMP_LINE="$*"; _tallyrune_updatectl; echo "${COMPREPLY[*]}"')
    return run(["bash", "-c", script, "bash", completion] + words).strip()


def check_completion(completion, folder):
    for name in ("setup.exe", "setup.ini", "stock/"):
        path = os.path.join(folder, name)
        os.mkdir(path) if name.endswith("/") else open(path, "w").close()
    cases = [
        ("tallyrune-updatectl up", "update"),
        ("tallyrune-updatectl ro", "rollback"),
        ("tallyrune-updatectl update --", "--yes --if-needed --json --program-folder --help"),
        ("tallyrune-updatectl rollback --f", "--force"),
        ("tallyrune-updatectl copy --q", "--quiet"),
        ("tallyrune-updatectl reg d", "delete"),
        ("tallyrune-updatectl reg delete HKLM\\X /va", "/va"),
        ("tallyrune-updatectl reg add HKLM\\X /t REG_M", "REG_MULTI_SZ"),
        (f"tallyrune-updatectl history --program-folder {folder}/s", f"{folder}/stock"),
        (f"tallyrune-updatectl verinfo {folder}/setup.", f"{folder}/setup.exe {folder}/setup.ini"),
    ]
    for line, expected in cases:
        got = complete(completion, line)
        if sorted(got.split()) != sorted(expected.split()):
            failures.append(f"completing '{line}' gives '{got}', not '{expected}'")


def main():
    bin_dir, man_dir, completion = sys.argv[1:4]
    check_updatectl(bin_dir, man_dir)
    check_update(bin_dir, man_dir)
    with tempfile.TemporaryDirectory() as folder:
        check_completion(completion, folder)
    for f in failures:
        print(f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
