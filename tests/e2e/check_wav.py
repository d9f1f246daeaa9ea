#!/usr/bin/env python3
"""Reads a WAV file Salvorin wrote with two readers that are not ours, Python's `wave` module
and SoX, and compares what each finds with the PCM that was generated.

    check_wav.py WAV EXPECTED_PCM RATE BITS CHANNELS

Prints one line per reader and exits 0 only when both were asked and both found the
expected rate, width, channel count, frame count and sample bytes. A missing reader is a
failure, never a skip: the point is a second opinion.
"""

import hashlib
import shutil
import subprocess
import sys
import wave


def digest(data):
    return hashlib.sha256(data).hexdigest()[:16]


def compare(reader, found, expected, problems):
    for name, want in expected.items():
        got = found.get(name)
        if got != want:
            problems.append(f"{reader}: {name} is {got!r}, expected {want!r}")


def read_with_wave(path):
    with wave.open(path, "rb") as reader:
        frames = reader.getnframes()
        return {
            "rate": reader.getframerate(),
            "bits": reader.getsampwidth() * 8,
            "channels": reader.getnchannels(),
            "frames": frames,
            "data": digest(reader.readframes(frames)),
        }


def run_sox(arguments, problems):
    done = subprocess.run(["sox"] + arguments, capture_output=True, check=False)
    # A well-formed file draws no warning from SoX (a header whose sizes disagree does).
    if done.returncode != 0 or done.stderr:
        problems.append(f"sox {' '.join(arguments)}: exit {done.returncode}: "
                        f"{done.stderr.decode(errors='replace').strip()}")
    return done.stdout


def sox_info(flag, path, problems):
    return run_sox(["--i", flag, path], problems).decode(errors="replace").strip()


def read_with_sox(path, problems):
    found = {}
    for name, flag in (("rate", "-r"), ("bits", "-b"), ("channels", "-c"), ("frames", "-s")):
        text = sox_info(flag, path, problems)
        found[name] = int(text) if text.isdigit() else text
    found["encoding"] = sox_info("-e", path, problems)
    # Raw output keeps the file's own encoding and width, so these are the stored bytes.
    found["data"] = digest(run_sox([path, "-t", "raw", "-"], problems))
    return found


def main():
    if len(sys.argv) != 6:
        print("usage: check_wav.py WAV EXPECTED_PCM RATE BITS CHANNELS", file=sys.stderr)
        return 2
    path, expected_path = sys.argv[1], sys.argv[2]
    rate, bits, channels = (int(value) for value in sys.argv[3:6])
    with open(expected_path, "rb") as file:
        pcm = file.read()
    expected = {
        "rate": rate,
        "bits": bits,
        "channels": channels,
        "frames": len(pcm) // (bits // 8 * channels),
        "data": digest(pcm),
    }
    problems = []

    try:
        found = read_with_wave(path)
        compare("wave", found, expected, problems)
        print(f"wave: {found}")
    except (wave.Error, EOFError, OSError) as error:
        problems.append(f"wave: cannot read {path}: {error}")

    if shutil.which("sox") is None:
        problems.append("sox: not installed (Debian package sox)")
    else:
        found = read_with_sox(path, problems)
        encoding = "Unsigned Integer PCM" if bits == 8 else "Signed Integer PCM"
        compare("sox", found, dict(expected, encoding=encoding), problems)
        print(f"sox: {found}")

    for problem in problems:
        print(f"MISMATCH {problem}")
    if problems:
        return 1
    print(f"both readers agree: {path}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
