#!/usr/bin/python3
"""Another program at work in Snipwell's clip folder, for the soak test (e2e_soak.sh).

  soak_mutator.py seed DIR                  makes the first .txt and .hed of every clip name
  soak_mutator.py mutate DIR SECONDS SEED [FOCUS]
                                            creates, rewrites (atomically and in place), renames
                                            and deletes those files until SECONDS have passed or
                                            it is told to stop (SIGTERM); prints what it did.
                                            Half of its work goes to the clip named in the file
                                            FOCUS, where the driver says what it works on
  soak_mutator.py check DIR [--final]       checks that every clip file holds only texts of its
                                            own name; exit code 1 when one does not

Every text written here names its file: NAME.txt gets lines "NAME.txt#0017", NAME.hed the line
"NAME.hed#0017" (counted per file). The driver types into the editors only the marker of the
clip that the name display shows, the clip name's first letter in capitals (alpha: "A"; the
clips it creates, new1 ...: "N"), so a clip file may hold its own tokens, its own marker, line
breaks, and nothing else.

The mutator also checks each file just before it rewrites or deletes it, so that a foreign
text the program wrote is seen even when it would be gone by the next look of the driver.

One exception comes from writes in place: truncating and then writing is two steps, and a
reader that takes the size before the truncation and reads after the write gets only the first
bytes of the new text, a prefix of a token. Such a prefix still names its clip (the names have
different first letters), so it is accepted and counted.
"""
import os
import random
import re
import signal
import sys
import time

NAMES = ["alpha", "bravo", "charlie", "delta", "echo", "foxtrot"]
# The program's own temporary files beside a clip it saves, and ours.
PROGRAM_TEMPORARY = ".snipwell-"
OUR_TEMPORARY = ".mut-"
CLIP_FILE = re.compile(r"([a-z0-9]+)\.(txt|hed)(\.away)?")


def token(name, ext, count):
    return "%s.%s#%04d" % (name, ext, count)


def text_for(name, ext, count, line_break="\r\n"):
    one = token(name, ext, count)
    if ext == "hed":
        return one
    # Bodies of two lines; LF alone is read as CR LF by the program.
    return one + line_break + one


def variants(directory, name, ext):
    """The files that stand for NAME.ext, in any letter case (the program finds each of them)."""
    wanted = "%s.%s" % (name, ext)
    return [entry for entry in os.listdir(directory) if entry.lower() == wanted]


def write_in_place(path, data):
    # One write after the truncation: a reader sees the old text, nothing, or the new text.
    fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
    try:
        os.write(fd, data)
    finally:
        os.close(fd)


def write_atomically(directory, path, data):
    temporary = os.path.join(directory, OUR_TEMPORARY + os.path.basename(path))
    write_in_place(temporary, data)
    os.rename(temporary, path)


def seed(directory):
    for name in NAMES:
        for ext in ("txt", "hed"):
            write_in_place(os.path.join(directory, "%s.%s" % (name, ext)), text_for(name, ext, 0).encode())


class Mutator:
    def __init__(self, directory, seed_value, focus_file=None):
        self.directory = directory
        self.focus_file = focus_file
        self.random = random.Random(seed_value)
        self.counts = {}
        self.done = {}
        self.foreign = 0

    def next_text(self, name, ext):
        count = self.counts.get((name, ext), 0) + 1
        self.counts[(name, ext)] = count
        return text_for(name, ext, count, self.random.choice(["\r\n", "\n"])).encode()

    def focus(self):
        try:
            with open(self.focus_file) as handle:
                return handle.read().strip().lower()
        except (OSError, TypeError):
            return ""

    def look_before_replacing(self, entry):
        """Checks what the file holds before our next write or deletion would hide it."""
        try:
            with open(os.path.join(self.directory, entry), "rb") as handle:
                data = handle.read()
        except OSError:
            return
        outcome = check_file(entry, data)
        if isinstance(outcome, str):
            self.foreign += 1
            print("FOREIGN TEXT: %s held %s" % (entry, outcome), flush=True)

    def step(self):
        name = self.random.choice(NAMES)
        if self.random.random() < 0.5 and self.focus() in NAMES:
            name = self.focus()
        ext = self.random.choice(["txt", "txt", "txt", "hed", "hed"])
        path = lambda entry: os.path.join(self.directory, entry)
        present = variants(self.directory, name, ext)
        lower = "%s.%s" % (name, ext)
        away = lower + ".away"
        operation = self.random.choices(
            ["atomic", "in place", "case", "away", "back", "delete", "create"], [28, 28, 10, 8, 8, 10, 8]
        )[0]
        if operation in ("atomic", "in place", "delete"):
            for entry in present:
                self.look_before_replacing(entry)
        if operation in ("atomic", "in place") and present:
            target = path(self.random.choice(present))
            if operation == "atomic":
                write_atomically(self.directory, target, self.next_text(name, ext))
            else:
                write_in_place(target, self.next_text(name, ext))
        elif operation == "case" and present:
            entry = self.random.choice(present)
            other = entry.upper() if entry == entry.lower() else entry.lower()
            os.rename(path(entry), path(other))
        elif operation == "away" and present and not os.path.exists(path(away)):
            os.rename(path(self.random.choice(present)), path(away))
        elif operation == "back" and os.path.exists(path(away)) and not present:
            os.rename(path(away), path(lower))
        elif operation == "delete" and present:
            for entry in present:
                os.unlink(path(entry))
        elif operation == "create" and not present:
            write_in_place(path(lower), self.next_text(name, ext))
        else:
            return
        self.done[operation] = self.done.get(operation, 0) + 1

    def run(self, seconds):
        stop = []
        signal.signal(signal.SIGTERM, lambda *_: stop.append(True))
        deadline = time.monotonic() + seconds
        while not stop and time.monotonic() < deadline:
            try:
                self.step()
            except FileNotFoundError:
                # The program deleted or replaced the file between our look and our act.
                self.done["lost a race"] = self.done.get("lost a race", 0) + 1
            # Faster while the driver works on a clip: its look and its read of a file lie
            # microseconds apart, and only a busy other program falls in between now and then.
            time.sleep(self.random.uniform(0.0002, 0.002) if self.focus() in NAMES else self.random.uniform(0.001, 0.012))
        print("mutator: " + ", ".join("%s %d" % item for item in sorted(self.done.items())))
        print("mutator: %d foreign texts found before replacing a file" % self.foreign)


def is_token_prefix(piece, name, ext):
    template = "%s.%s#" % (name, ext)
    for i, char in enumerate(piece):
        if i < len(template) and char != template[i]:
            return False
        if i >= len(template) and not char.isdigit():
            return False
    return True


def check_file(entry, data):
    """None when the file holds only texts of its own name; otherwise what is wrong."""
    match = CLIP_FILE.fullmatch(entry.lower())
    if not match:
        return "a file no one should have made"
    name, ext = match.group(1), match.group(2)
    try:
        text = data.decode("ascii")
    except UnicodeDecodeError:
        return "bytes that are not ASCII: %r" % data[:80]
    marker = name[0].upper()
    rest = re.sub(re.escape("%s.%s#" % (name, ext)) + r"\d{4,}", "", text)
    prefixes = 0
    for piece in re.split("[\r\n" + marker + "]+", rest):
        if not piece:
            continue
        if not is_token_prefix(piece, name, ext):
            return "%r, which is not its own (whole text: %r)" % (piece, text[:200])
        prefixes += 1
    return prefixes


def check(directory, final):
    failures = 0
    files = 0
    prefixes = 0
    for entry in sorted(os.listdir(directory)):
        if entry.startswith(OUR_TEMPORARY) or (entry.startswith(PROGRAM_TEMPORARY) and not final):
            continue
        full = os.path.join(directory, entry)
        if not os.path.isfile(full):
            continue
        try:
            with open(full, "rb") as handle:
                data = handle.read()
        except FileNotFoundError:
            continue
        files += 1
        outcome = check_file(entry, data)
        if isinstance(outcome, str):
            print("    %s holds %s" % (entry, outcome))
            failures += 1
        else:
            prefixes += outcome
    print("    checked %d files, %d cut-off tokens (reads that raced a write in place)" % (files, prefixes))
    return 1 if failures else 0


def main(argv):
    command = argv[1] if len(argv) > 1 else ""
    if command == "seed" and len(argv) == 3:
        seed(argv[2])
        return 0
    if command == "mutate" and len(argv) in (5, 6):
        Mutator(argv[2], int(argv[4]), argv[5] if len(argv) == 6 else None).run(float(argv[3]))
        return 0
    if command == "check" and len(argv) in (3, 4):
        return check(argv[2], argv[3:] == ["--final"])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
