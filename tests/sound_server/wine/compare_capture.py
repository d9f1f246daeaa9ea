#!/usr/bin/env python3
"""The sound server's monitor against the recording's data, for scripts/windows/test_sound_server.sh.

  compare_capture.py wait CAPTURE       waits until the capture holds sound and then a quarter
                                        of a second of silence after it (at most 30 s)
  compare_capture.py compare CAPTURE RECORDING
                                        the capture without its silent frames must be the
                                        recording's data (behind its 44 reserved bytes) byte
                                        for byte; prints one line and exits 1 when it is not

The recording holds no silent frame (four zero bytes), so the capture's silence before and
after the sound, and any that a loaded server inserts inside it, is cut out without
ambiguity; silence inside is reported, not failed.
"""
import sys
import time

FRAME = 4
SILENT = b"\0" * FRAME
QUIET_BYTES = 44100 * FRAME // 4


def read(path):
    with open(path, "rb") as file:
        return file.read()


def ends_quiet_after_sound(capture):
    last = len(capture.rstrip(b"\0"))
    return last > 0 and len(capture) - last >= QUIET_BYTES


def without_silence(capture):
    """The sound frames, and the silent frames between the first and the last of them."""
    sound = bytearray()
    run = 0
    inside = 0
    for at in range(0, len(capture) - len(capture) % FRAME, FRAME):
        frame = capture[at:at + FRAME]
        if frame == SILENT:
            run += 1
            continue
        if sound:
            inside += run
        run = 0
        sound += frame
    return bytes(sound), inside


def compare(capture, data):
    heard, inside = without_silence(capture)
    report = {"heard": len(heard), "expected": len(data), "silent_inside": inside}
    start = data.find(heard[:64]) if heard else -1
    if start < 0:
        report["problem"] = "the start of what was heard is not in the data"
        return report
    report["missing_at_start"] = start
    common = 0
    limit = min(len(heard), len(data) - start)
    while common < limit and heard[common] == data[start + common]:
        common += 1
    if common < len(heard):
        report["problem"] = f"differs from the data at byte {start + common}"
        return report
    report["missing_at_end"] = len(data) - start - len(heard)
    if start or report["missing_at_end"]:
        report["problem"] = "bytes are missing"
    return report


def main(argv):
    if len(argv) == 3 and argv[1] == "wait":
        for _ in range(600):
            if ends_quiet_after_sound(read(argv[2])):
                return 0
            time.sleep(0.05)
        print("the monitor never fell quiet after the sound")
        return 1
    if len(argv) == 4 and argv[1] == "compare":
        report = compare(read(argv[2]), read(argv[3])[44:])
        print(" ".join(f"{key}={value}" for key, value in report.items()))
        return 1 if "problem" in report else 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
