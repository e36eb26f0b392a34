#!/usr/bin/env python3
"""Runs a command on a terminal of 100 columns, answers "y" to each [y/N] prompt, and writes what the
terminal shows at the end as plain text, below a prompt line with the command as a reader would type
it: each line as its last carriage return left it.

    terminal.py OUT.txt SHOWN-COMMAND COMMAND [ARG...]
"""
import fcntl
import os
import pty
import struct
import sys
import termios


def screen(raw: str) -> str:
    lines = []
    for line in raw.replace("\r\n", "\n").split("\n"):
        shown = ""
        for part in line.split("\r"):
            shown = part + shown[len(part):]
        lines.append(shown.rstrip())
    while lines and not lines[-1]:
        lines.pop()
    return "\n".join(lines) + "\n"


def main() -> int:
    out, shown, command = sys.argv[1], sys.argv[2], sys.argv[3:]
    pid, fd = pty.fork()
    if pid == 0:
        os.execvp(command[0], command)
    fcntl.ioctl(fd, termios.TIOCSWINSZ, struct.pack("HHHH", 40, 100, 0, 0))
    raw = b""
    while True:
        try:
            data = os.read(fd, 4096)
        except OSError:
            break
        if not data:
            break
        raw += data
        if raw.rstrip(b" ").endswith(b"[y/N]"):
            os.write(fd, b"y\n")
    _, status = os.waitpid(pid, 0)
    with open(out, "w", encoding="utf-8") as f:
        f.write("$ " + shown + "\n" + screen(raw.decode("utf-8", "replace")))
    return os.waitstatus_to_exitcode(status)


if __name__ == "__main__":
    sys.exit(main())
