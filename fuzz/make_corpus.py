#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

Each target's input format is described at the top of its source file; the
seeds here are ordinary cases of each format, so that the fuzzer starts from
inputs that reach deep into the code. Run it again after changing a format:

    fuzz/make_corpus.py
"""

import pathlib
import shutil
import struct

FUZZ = pathlib.Path(__file__).resolve().parent
ROOT = FUZZ.parent
CORPUS = FUZZ / "corpus"


def u8(v):
    return struct.pack("<B", v & 0xFF)


def u16(v):
    return struct.pack("<H", v & 0xFFFF)


def u32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)


def f64(v):
    return struct.pack("<d", v)


def text(s):
    """A length byte and the text (ASCII, one byte per character)."""
    data = s.encode("ascii")
    return u8(len(data)) + data


def utf16(s):
    return s.encode("utf-16-le")


def write(target, name, data):
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / name).write_bytes(data)


# --- hook: flags, "LockTouch", then operations ------------------------------


def sample(count, x1=0, y1=0, x2=0, y2=0, wide=False):
    head = (3 if count not in (0, 1, 2) else count) | (4 if wide else 0)
    data = u8(0) + u8(head)
    if count not in (0, 1, 2):
        data += u32(count)
    put = u32 if wide else u16
    return data + b"".join(put(v) for v in (x1, y1, x2, y2))


def px(count, x1=0, y1=0, x2=0, y2=0):
    """A sample in whole pixels."""
    return sample(count, 4 * x1, 4 * y1, 4 * x2, 4 * y2)


def hook_seeds():
    zem, stored, raw, terminated = 1, 2, 4, 8
    worked = (px(2, 100, 200, 300, 200) * 2 + px(2, 101, 200, 300, 200) + px(0))
    write("hook", "worked_example", u8(zem | stored) + text("0,0,0,0") + worked)
    write("hook", "whole_screen_swipe",
          u8(zem | stored) + text("0,0,480,800") +
          b"".join(px(2, 40 + 10 * i, 300, 40 + 10 * i, 360) for i in range(30)) + px(0) * 3)
    write("hook", "border_and_raw_rounding",
          u8(zem | stored) + text("0,0,480,800") + px(1, 0, 0) + px(1, 1, 1) +
          sample(1, 3, 3) + sample(1, 4, 7) + sample(1, 1919, 3199) + px(1, 480, 800) + px(0))
    write("hook", "foreground_mode", u8(stored) + text("0,200,480,400") +
          px(1, 100, 300) + px(2, 100, 300, 100, 100) + px(0))
    write("hook", "no_lock_touch", u8(zem) + px(1, 10, 10) + px(1, 10, 10) + px(0) + px(0))
    write("hook", "terminated_string",
          u8(zem | stored | terminated) + text("0,0,480,460") + px(1, 100, 100) +
          px(1, 100, 700) + px(0))
    lock = utf16("0,200,480,400") + b"\0"  # 27 bytes: nine units of three
    write("hook", "raw_value", u8(zem | stored | raw) + u8(1) + u8(len(lock) // 3) + lock +
          px(1, 240, 400) + px(0))
    write("hook", "malformed_area",
          u8(zem | stored) + text("99999999999,-5, 7x,1") + px(1, 5, 5) + px(0))
    reattach = (u8(6) + u8(0) + text("0,0,100,100") + px(1, 50, 50) + u8(5) + u8(2) +
                px(1, 50, 50) + px(1, 150, 50) + u8(5) + u8(3) + u8(5) + u8(0xF7) + u32(99) +
                px(0))
    write("hook", "area_read_at_attach", u8(zem | stored) + text("0,0,0,0") + reattach)
    window_goes_or_comes, posts_fail, all_posts_fail = u8(7) + u8(0), u8(7) + u8(1), u8(7) + u8(2)
    write("hook", "main_window_gone",
          u8(zem | stored) + text("0,0,480,800") + px(1, 10, 10) + window_goes_or_comes +
          px(1, 20, 20) + px(0) + window_goes_or_comes + px(1, 30, 30) + px(0))
    write("hook", "lost_touch_end",
          u8(zem | stored) + text("0,0,480,800") + px(1, 10, 10) + posts_fail + px(0) + px(0) +
          px(1, 10, 10) + px(0) + all_posts_fail + px(1, 20, 20) + px(0) + all_posts_fail +
          px(2, 5, 5, 9, 9) + px(0))
    write("hook", "odd_counts",
          u8(zem | stored) + text("0,0,480,800") + px(1, 10, 10) + sample(3, 40, 40) +
          sample(0xFFFFFFFF, 8, 8, 8, 8) + px(0) + px(0) + px(2, 1, 1, 2, 2) + px(1, 1, 1) +
          px(1, 1, 1) + px(0))
    write("hook", "wide_coordinates",
          u8(zem | stored) + text("0,0,480,800") +
          sample(2, 0xFFFFFFFF, 0xFFFFFFFF, 4 * 16384, 4 * 65536, wide=True) +
          sample(1, 4 * 65536 + 4, 4, wide=True) + px(0))


# --- tracker: operations ----------------------------------------------------


def point_word(x, y):
    return u8(2) + u16(x) + u16(y)


NO_POINT = u8(0)


def update(first, second=None, flags=0):
    return u8(0) + u8(flags) + (second if second is not None else NO_POINT) + first


def run(samples, x, y, dx0, dy0, dx1=0, dy1=0, two=True, flags=0, end=True):
    """A run of samples along straight lines, then (unless told) the touch end."""
    head = samples | (64 if two else 0) | (0 if end else 128)
    return (u8(3) + u8(flags) + u8(head) + u16(x) + u16(y) +
            u8(dx0) + u8(dx1) + u8(dy0) + u8(dy1))


GESTURE = u8(5)


def touch_end(kind=0, flags=0, points=(0, 0, 0, 0)):
    data = u8(4) + u8(flags)
    data += u8(kind) if 0 <= kind < 3 else u8(0xF0) + u32(kind)
    return data + b"".join(u8(0) + u16(v) for v in points)


def single_touch(on):
    return u8(6) + u8(1 if on else 0)


def tap_and_hold(value):
    return u8(7) + (u8(value) if value < 0xF0 else u8(0xF0) + u32(value))


def polyline(points, steps=8):
    """One finger along a closed or open polyline, as touch updates."""
    out = b""
    for (ax, ay), (bx, by) in zip(points, points[1:]):
        for i in range(steps):
            out += update(point_word(ax + (bx - ax) * i // steps, ay + (by - ay) * i // steps))
    return out


def tracker_seeds():
    write("tracker", "swipe_right_double", run(40, 40, 300, 8, 0, 8, 0) + GESTURE)
    write("tracker", "swipe_up_double_rotated", run(40, 100, 700, 0, 0x100 - 12, 0, 0x100 - 12,
                                                    flags=2) + GESTURE)
    write("tracker", "crossing_fingers", run(40, 40, 300, 8, 0, 0x100 - 8, 0) + GESTURE)
    square = [(100, 100), (300, 100), (300, 300), (100, 300), (100, 100)]
    write("tracker", "square_one_finger",
          single_touch(True) + polyline(square) + touch_end() + GESTURE)
    diamond = [(200, 100), (300, 200), (200, 300), (100, 200), (200, 100)]
    write("tracker", "diamond_tap_and_hold",
          tap_and_hold(1) + run(40, 100, 400, 0, 0, 6, 0) + GESTURE + polyline(diamond) +
          touch_end() + GESTURE + tap_and_hold(80) + tap_and_hold(0))
    write("tracker", "controller_mode",
          update(point_word(100, 700), flags=1) +
          update(point_word(100, 700), point_word(105, 700), flags=1) +
          update(point_word(130, 700), point_word(135, 600), flags=1) +
          touch_end(flags=1) + run(20, 100, 600, 1, 1, flags=1))
    write("tracker", "lift_one_of_two",
          run(20, 40, 300, 8, 0) + update(point_word(400, 300)) + update(point_word(410, 300)) +
          touch_end() + touch_end() + GESTURE)
    write("tracker", "odd_touch_ends",
          run(10, 40, 300, 8, 0) + touch_end(1, points=(5, 5, 0, 0)) +
          touch_end(2, points=(7, 7, 9, 9)) + touch_end(-1) + touch_end(7) + GESTURE +
          u8(8) + GESTURE)
    # Long enough for the strokes to reach their bound and be thinned.
    back_and_forth = (run(63, 100, 300, 4, 0, end=False) + run(63, 352, 300, 0x100 - 4, 0,
                                                                 end=False)) * 135
    write("tracker", "long_touch", back_and_forth + touch_end() + GESTURE)
    write("tracker", "raw_words", u8(0) + u8(0) + u8(1) + u32(0xFFFFFFFF) + u8(1) + u32(0x7FFF) +
          update(u8(1) + u32(0x12345678)) + touch_end() + GESTURE)
    first = u8(10) + text("Square") + u8(0) + u8(180) + u16(171) + u8(0)
    second = u8(10) + text("Square") + u8(0) + u8(160) + u16(171) + u8(0)
    held = u8(3) + text("SwipeUp") + u8(0) + u8(190) + u16(172) + u8(1) + (u8(0) + u16(0)) * 2 + \
        (u8(0) + u16(8)) * 2
    write("tracker", "naming_pairs",
          u8(9) + first + second + u8(1) + u8(0) + u16(50) +
          u8(9) + held + second + u8(3) + u8(0) + u16(50) +
          u8(9) + first + held + u8(5) + f64(0.7) + u8(0) + u16(30))


# --- recognizer: mode, templates, stroke -------------------------------------

WALK, DOUBLES, COORDINATES, PIXELS = 0, 1, 2, 3
OWN_TEMPLATES = 4


def walk(x, y, steps):
    return u16(x) + u16(y) + b"".join(u8(dx) + u8(dy) for dx, dy in steps)


def pixels(points):
    return u16(0) + u16(0) + b"".join(u16(x) + u16(y) for x, y in points)


def doubles(points):
    return u16(0) + u16(0) + b"".join(f64(x) + f64(y) for x, y in points)


def recorded(file, index=0):
    """One stroke of a recorded data file: X,Y@T ... after its name."""
    lines = (ROOT / "tests/data/strokes" / file).read_text().splitlines()
    fields = lines[index].split()[1:]
    return [tuple(int(v) for v in f.split("@")[0].split(",")) for f in fields]


def recognizer_seeds():
    write("recognizer", "swipe_right", u8(WALK) + walk(40, 300, [(10, 0)] * 40))
    write("recognizer", "swipe_left_right",
          u8(WALK) + walk(400, 300, [(0x100 - 10, 0)] * 30 + [(10, 0)] * 30))
    write("recognizer", "two_points", u8(PIXELS) + pixels([(0, 0), (310, 0)]))
    write("recognizer", "corner", u8(PIXELS) + pixels([(0, 0), (100, 0), (100, 100)]))
    write("recognizer", "same_point", u8(PIXELS) + pixels([(50, 50)] * 8))
    for name, file in (("question_mark", "dollar1-question_mark.strokes"),
                       ("rectangle", "dollar1-rectangle.strokes"),
                       ("delete_mark", "dollar1-delete_mark.strokes"),
                       ("finger_line", "mmg-finger-line.strokes")):
        write("recognizer", name, u8(PIXELS) + pixels(recorded(file)))
    inf, nan = float("inf"), float("nan")
    write("recognizer", "non_finite",
          u8(DOUBLES) + doubles([(0, 0), (100, 0), (inf, 5), (nan, 1), (-inf, 2)]))
    write("recognizer", "huge", u8(DOUBLES) + doubles([(-1e308, 0), (1e308, 0), (0, 1e308)]))
    write("recognizer", "tiny", u8(DOUBLES) + doubles([(0, 0), (1e-160, 0), (0, 1e-160)]))
    write("recognizer", "coordinates",
          u8(COORDINATES) + u16(0) + u16(0) +
          b"".join(u8(0) + u16(x) + u8(0) + u16(300) for x in range(40, 440, 20)) +
          u8(0xE2) + u8(0xE3) + f64(5.0))
    write("recognizer", "own_templates",
          u8(PIXELS | OWN_TEMPLATES) + u8(3) + (u8(1) + u8(4) + b"Line" + u8(4) + u16(0) +
                                                u16(0) + b"".join(u16(10 * i) + u16(0)
                                                                  for i in range(4))) * 2 +
          u8(2) + u8(0) + u8(0) + u16(0) + u16(0) + pixels([(0, 0), (50, 3), (100, 0)]))


# --- registry: type, flags, data, replacement ---------------------------------


def value(type_, data, flags=0, replacement=None):
    out = u8(type_) + u8(flags) + u16(len(data)) + data
    if replacement is not None:
        out += u16(len(replacement)) + replacement
    return out


def registry_seeds():
    write("registry", "string", value(1, utf16("0,0,480,800")))
    write("registry", "string_terminated", value(1, utf16("Home") + b"\0\0"))
    write("registry", "string_odd_size", value(1, utf16("abc") + b"d"))
    write("registry", "string_full_buffer", value(1, utf16("x" * 260)))
    write("registry", "string_too_long", value(1, utf16("y" * 261)))
    write("registry", "lower_case", value(1, utf16("\\Windows\\ÄÖÜ ΣΑΣ.EXE") + b"\0\0", flags=1))
    write("registry", "surrogates", value(1, utf16("a\U0001F600b") + b"\x3d\xd8" + b"\0\0"))
    write("registry", "list", value(7, utf16("one\0Two\0three\0\0"), flags=1))
    write("registry", "list_unterminated", value(7, utf16("one\0two")))
    write("registry", "list_empty_first", value(7, utf16("\0one\0\0")))
    write("registry", "list_odd_size", value(7, utf16("a\0b\0") + b"c"))
    write("registry", "dword", value(4, u32(2000)))
    write("registry", "dword_short", value(4, u16(0x4242)))
    write("registry", "dword_as_string", value(1, utf16("AB")))
    write("registry", "dword_too_long", value(11, b"\1\2\3\4\5\6"))
    write("registry", "empty", value(3, b""))
    write("registry", "any_type", u8(0xF0) + u32(0xFFFF0007) + u8(0) + u16(4) + utf16("z\0"))
    write("registry", "grows_between_queries",
          value(7, utf16("a\0\0"), flags=2, replacement=utf16("abc\0def\0" * 40 + "\0")))
    write("registry", "shrinks_between_queries",
          value(1, utf16("q" * 300), flags=2, replacement=utf16("short")))


# --- lock_touch: the text itself ----------------------------------------------


def lock_touch_seeds():
    texts = {
        "whole_screen": "0,0,480,800",
        "band": "0,200,480,400",
        "nothing": "0,0,0,0",
        "top": "0,0,480,460",
        "blanks_and_signs": " 1,\t-2,+3,\n4",
        "blank_before_comma": "1 ,2,3,4",
        "out_of_range": "99999999999,-99999999999,7x,1",
        "two_fields": "10,20",
        "lone_sign": "-,5",
        "leading_zeros": "000000000000012,0,0,0",
        "trailing_text": "1,2,3,4,5 and more",
        "empty": "",
    }
    for name, t in texts.items():
        write("lock_touch", name, t.encode("ascii"))
    # Full-width digits, which the scanner does not take for digits.
    write("lock_touch", "full_width_digits", b"\xf0\x11\xff,2,3,4")


# --- controller_keys: key text, then operations --------------------------------


def touch(count, first=(0, 0), second=(0, 0)):
    return u8(0) + u8(count) + b"".join(u8(0) + u16(v) for v in first + second)


def controller_seeds():
    default = "40,38,37,39,13,12,96,97,98,99,100,101"
    write("controller_keys", "default_portrait",
          text(default) + touch(1, (10, 500)) + touch(1, (215, 580)) + touch(1, (380, 500)) +
          touch(2, (450, 500), (100, 520)) + touch(0))
    write("controller_keys", "letters",
          text(",".join(str(k) for k in range(65, 77))) + touch(1, (100, 760)) + touch(0))
    write("controller_keys", "clamped_and_low_bits",
          text("321, -1,\t+7,99999999999,-99999999999") + touch(1, (100, 760)))
    write("controller_keys", "junk_stops_reading", text("1,2,x,4") + touch(1, (20, 620)))
    write("controller_keys", "same_code_twice",
          text("65,65,65,65,65,65,65,65,65,65,65,65") + touch(1, (380, 500)) +
          touch(2, (10, 500), (380, 620)) + u8(2) + text("1,2,3") + touch(1, (10, 500)))
    write("controller_keys", "rotate_button",
          text(default) + touch(1, (240, 505)) + touch(0) + touch(1, (455, 25)) + touch(0) +
          touch(1, (100, 50)) + touch(0))
    write("controller_keys", "exit_button", text(default) + touch(1, (240, 775)) + touch(0))
    write("controller_keys", "landscape",
          text(default) + u8(3) + u8(1) + touch(1, (240, 150)) + touch(1, (360, 700)) +
          u8(3) + u8(0) + touch(0))
    write("controller_keys", "empty_text", text("") + touch(1, (300, 700)) + touch(0))


# --- scenario: broken lines; the project's own scenario files are seeds where
# they live (see seeds.txt) -------------------------------------------------------


def scenario_seeds():
    write("scenario", "broken_lines",
          b'registry HKCU Foo = 1\nstart\nstroke 1,1 -> 2,2 in 10 every 0\n'
          b'tap 5,5 for 4294967295 every 1\nregistry HKLM\\A\\B x = hex(3):0,\n'
          b'foreground "nobody"\nexpect\nstart\n')


EVEMU_PANEL_B = (
    "N: seed panel B\nI: 0018 0000 0000 0000\nP: 02 00 00 00 00 00 00 00\n"
    "B: 00 0b 00 00 00 00 00 00 00\nB: 01 00 00 00 00 00 00 00 00\n"
    "B: 01 00 00 00 00 00 00 00 00\nB: 01 00 00 00 00 00 00 00 00\n"
    "B: 01 00 00 00 00 00 00 00 00\nB: 01 00 00 00 00 00 00 00 00\n"
    "B: 01 00 04 00 00 00 00 00 00\nB: 03 03 00 00 00 00 80 60 02\n"
    "A: 00 0 1279 0 0 0\nA: 01 0 767 0 0 0\nA: 2f 0 4 0 0 0\nA: 35 0 1279 0 0 0\n"
    "A: 36 0 767 0 0 0\nA: 39 0 65535 0 0 0\n")


def evemu_events(*frames, start=1.0):
    """E: lines; each frame is a list of (type, code, value), closed by SYN_REPORT."""
    lines = []
    for i, frame in enumerate(frames):
        t = f"{start + i * 0.008:.6f}"
        for type_, code, value in list(frame) + [(0, 0, 0)]:
            lines.append(f"E: {t} {type_:04x} {code:04x} {value}  # comment")
    return "\n".join(lines) + "\n"


def evemu_seeds():
    """Screen byte (width, height, rotation), a spare byte, then evemu text."""
    slot, tid, x, y = 0x2F, 0x39, 0x35, 0x36
    two_fingers = evemu_events(
        [(3, tid, 7), (3, x, 539), (3, y, 167), (1, 0x14A, 1)],
        [(3, slot, 1), (3, tid, 8), (3, x, 222), (3, y, 700)],
        [(3, slot, 0), (3, y, 180), (3, 0x1D, 15316)],
        [(3, tid, -1)],
        [(3, slot, 1), (3, tid, -1), (1, 0x14A, 0)])
    write("evemu", "two_fingers_first_lifts", u8(0x08) + u8(0) + (EVEMU_PANEL_B + two_fingers).encode())
    write("evemu", "rotated_dropped", u8(0x80 | 0x11) + u8(0) + (EVEMU_PANEL_B + evemu_events(
        [(3, tid, 1), (3, x, 5), (3, y, 5)],
        [(0, 3, 0), (3, x, 900)],
        [(3, x, 10)],
        [(3, slot, 9), (3, tid, 4)],
        [(3, slot, 0), (3, tid, -1)])).encode())
    protocol_a = ("N: seed panel A\nP: 02\nA: 35 0 99 0 0\nA: 36 0 99 0 0\n" +
                  evemu_events([(3, x, 5), (3, y, 7), (0, 2, 0), (3, x, 50), (3, y, 70), (0, 2, 0)],
                               [(3, x, 52), (3, y, 71), (0, 2, 0)], [(0, 2, 0)]))
    write("evemu", "protocol_a", u8(0x1B) + u8(0) + protocol_a.encode())
    write("evemu", "bad_lines", u8(0) + u8(0) + (EVEMU_PANEL_B + "E: 1.0 0003 0035 x1\n"
          "E: 1.0000001 0003 0035 1\nX: what\nA: 35 0\nE: 1.0 0000 0000\n").encode())


def settings_file_seeds():
    """Settings files of the Linux program: the shipped one, mixed line ends with
    deletions and continued hex data, a cut UTF-16 file."""
    write("settings_file", "shipped", (FUZZ.parent / "resources" / "ZEM.reg").read_bytes())
    write("settings_file", "mixed_endings",
          b'Windows Registry Editor Version 5.00\r\n\r\n'
          b'[HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\TOUCH]\r\n'
          b'"MultiTouchDemo"=dword:00000001\n"LockTouch"="0,0,480,800"\r\n'
          b'[-HKEY_CURRENT_USER\\Software\\ZEM\\Old]\r\n@=hex(2):41,00,\\\r\n  00,00\r\n"Gone"=-')
    write("settings_file", "utf16_cut", b"\xff\xfeW\x00i\x00n\x00")


def main():
    if CORPUS.exists():
        shutil.rmtree(CORPUS)
    (CORPUS / "scenario").mkdir(parents=True)
    hook_seeds()
    tracker_seeds()
    recognizer_seeds()
    registry_seeds()
    lock_touch_seeds()
    controller_seeds()
    scenario_seeds()
    evemu_seeds()
    settings_file_seeds()
    for folder in sorted(CORPUS.iterdir()):
        print(f"{folder.name}: {len(list(folder.iterdir()))} seeds")


if __name__ == "__main__":
    main()
