#!/usr/bin/env python3
"""Draws the cable's wiring picture (wiring.png) from the wiring table in the
README, so the picture and the README always say the same thing.

On the left the DB-25 plug of the printer-port cable, seen from its pins; on
the right the AT90S8535 in its 40-pin DIP, seen from above; between them one
wire per table row, with its series resistor, its name and the direction its
data travels. ImageMagick's convert does the drawing. The file is written byte
for byte the same on every run (no time stamps, no metadata), next to this
script unless another folder is given.
Usage: make_wiring.py [OUTPUT_DIR]
"""

import os
import re
import subprocess
import sys

README = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "README.md")
HEADING = "## The cable"
OUTPUT = "wiring.png"

TITLE = "tamberlo cable: printer port to AT90S8535"

# Used when the sentence after the table cannot be read.
DEFAULT_SUPPLY = {"VCC": 10, "AVCC": 30}
DEFAULT_CLOCK = {"XTAL1": 13, "XTAL2": 12}
DEFAULT_OHMS = 220

WIDTH, HEIGHT = 900, 420
FONT = "DejaVu-Sans"
FONT_BOLD = "DejaVu-Sans-Bold"

INK = "#222222"
MUTED = "#6b6b6b"
FAINT = "#9a9a9a"
PIN_IDLE = "#e4e4e4"
PIN_IDLE_EDGE = "#9a9a9a"
FLANGE = "#dcdcdc"
FLANGE_EDGE = "#8c8c8c"
SHELL = "#f7f7f7"
SHELL_EDGE = "#555555"
CHIP = "#2b2b30"
CHIP_EDGE = "#111114"
CHIP_TEXT = "#d8d8d8"
CHIP_TEXT_DIM = "#8e8e96"
LEAD = "#b8b8be"
GROUND = "#111111"

# One colour per signal; a signal not named here takes the next spare colour.
SIGNAL_COLOURS = {
    "MOSI": "#1f5fbf",
    "MISO": "#1b8a3a",
    "SCK": "#d35400",
    "RESET": "#8e44ad",
}
SPARE_COLOURS = ["#c0392b", "#117a8b", "#8a6d00", "#b03a7a"]

# DB-25: pins 1-13 along the wide top edge, 14-25 below them, half a pitch in.
DB_TOP_ROW = range(1, 14)
DB_BOTTOM_ROW = range(14, 26)
DB_PITCH = 22
DB_PIN_R = 9
DB_X0 = 84  # pin 1
DB_Y_TOP = 252  # row 1-13
DB_Y_BOTTOM = DB_Y_TOP + 26  # row 14-25

# DIP-40: pins 1-20 down the left side, 21-40 up the right side.
DIP_PINS = 40
DIP_PITCH = 14
DIP_Y1 = 80  # pin 1
DIP_LEFT = 706
DIP_RIGHT = 846
DIP_LEAD = 14

LANE_GAP = 38
LANE_LOWEST = DB_Y_TOP - 52  # the lowest wire above the plug
LANE_HIGHEST = 76
BUS_Y = DB_Y_BOTTOM + 42  # the wire below the plug
RESISTOR_X = 456
TAG_X = 540
ARROW_X = 600
JOG_RIGHT = 672  # the wire that turns last towards the chip turns here
JOG_STEP = 12


class WiringError(Exception):
    pass


# ---------------------------------------------------------------- the README


def read_cable_section(path):
    try:
        with open(path, encoding="utf-8") as f:
            text = f.read()
    except OSError as e:
        raise WiringError(f"cannot read {path}: {e.strerror}")
    lines = text.splitlines()
    try:
        start = next(i for i, line in enumerate(lines) if line.strip() == HEADING)
    except StopIteration:
        raise WiringError(f"{path} has no '{HEADING}' heading")
    end = next(
        (i for i in range(start + 1, len(lines)) if lines[i].startswith("## ")), len(lines)
    )
    return lines[start + 1 : end], start + 2


def split_row(line):
    cells = line.strip()
    if not (cells.startswith("|") and cells.endswith("|")):
        return None
    return [c.strip() for c in cells[1:-1].split("|")]


def parse_pin_cell(cell, what, line_no):
    """'pin 2 (D0)' -> ([2], ['D0']); 'pins 18 to 25' -> ([18 .. 25], [])."""
    m = re.fullmatch(r"pins?\s+(\d+)(?:\s*(?:to|-|–)\s*(\d+))?\s*(?:\((.*)\))?", cell)
    if not m:
        raise WiringError(
            f"README table line {line_no}: cannot read the {what} cell '{cell}' "
            "(expected 'pin N (NAME)' or 'pins N to M')"
        )
    first = int(m.group(1))
    last = int(m.group(2)) if m.group(2) else first
    if last < first:
        raise WiringError(f"README table line {line_no}: pin range '{cell}' runs backwards")
    names = [n.strip() for n in m.group(3).split(",")] if m.group(3) else []
    return list(range(first, last + 1)), names


def parse_signal_cell(cell, line_no):
    """'SCK, clock to the chip' -> name SCK, towards the chip;
    'MISO, data from the chip' -> towards the PC; 'ground' -> GND."""
    head = cell.split(",")[0].strip()
    if not head:
        raise WiringError(f"README table line {line_no}: the signal cell is empty")
    lower = cell.lower()
    if head.lower() in ("ground", "gnd"):
        return "GND", None
    if "from the chip" in lower:
        return head, "to_pc"
    return head, "to_chip"


def parse_table(section, first_line):
    """Reads the wiring table; first_line is the README line number of
    section[0], for the messages."""
    header_at = None
    for i, line in enumerate(section):
        cells = split_row(line)
        if cells and len(cells) == 3 and "DB-25" in cells[0] and "AT90S8535" in cells[2]:
            header_at = i
            break
    if header_at is None:
        raise WiringError(
            f"the '{HEADING}' section has no wiring table "
            "(a header row 'printer-port connector (DB-25) | signal | AT90S8535 ...')"
        )
    rule = split_row(section[header_at + 1]) if header_at + 1 < len(section) else None
    if not rule or not all(re.fullmatch(r":?-{3,}:?", c) for c in rule):
        raise WiringError("the wiring table's header is not followed by a '| --- |' row")

    wires = []
    i = header_at + 2
    while i < len(section) and section[i].strip().startswith("|"):
        line_no = first_line + i
        cells = split_row(section[i])
        if cells is None or len(cells) != 3:
            raise WiringError(
                f"README table line {line_no}: expected 3 cells, got '{section[i].strip()}'"
            )
        port_pins, port_names = parse_pin_cell(cells[0], "printer-port", line_no)
        name, direction = parse_signal_cell(cells[1], line_no)
        chip_pins, chip_names = parse_pin_cell(cells[2], "AT90S8535", line_no)
        for p in port_pins:
            if not 1 <= p <= 25:
                raise WiringError(f"README table line {line_no}: DB-25 has no pin {p}")
        if len(chip_pins) != 1:
            raise WiringError(f"README table line {line_no}: expected one AT90S8535 pin")
        chip_pin = chip_pins[0]
        if not 1 <= chip_pin <= 20:
            raise WiringError(
                f"README table line {line_no}: AT90S8535 pin {chip_pin} is not on the side "
                "facing the plug (pins 1-20); the drawing cannot route it"
            )
        if len(port_pins) > 1 and not all(p in DB_BOTTOM_ROW for p in port_pins):
            raise WiringError(
                f"README table line {line_no}: the drawing joins several pins only in "
                f"the lower row of the plug (14-25), not '{cells[0]}'"
            )
        wires.append(
            {
                "name": name,
                "direction": direction,
                "port_pins": port_pins,
                "port_label": ", ".join(port_names),
                "chip_pin": chip_pin,
                "chip_label": " / ".join(chip_names) if chip_names else name,
            }
        )
        i += 1
    if not wires:
        raise WiringError("the wiring table has no rows")

    used = {}
    for w in wires:
        for p in w["port_pins"]:
            if p in used:
                raise WiringError(f"DB-25 pin {p} appears in two rows of the wiring table")
            used[p] = w
    chip_used = [w["chip_pin"] for w in wires]
    if len(set(chip_used)) != len(chip_used):
        raise WiringError("an AT90S8535 pin appears in two rows of the wiring table")
    bottom = [w for w in wires if w["port_pins"][0] in DB_BOTTOM_ROW]
    if len(bottom) > 1:
        raise WiringError("the drawing has room for one wire from the lower row of the plug")
    return wires, header_at + 2 + len(wires)


def parse_note(section, after):
    """The sentence after the table: supply pins, crystal pins, resistor value."""
    text = " ".join(line.strip() for line in section[after:])
    supply = dict(DEFAULT_SUPPLY)
    clock = dict(DEFAULT_CLOCK)
    ohms = DEFAULT_OHMS
    m = re.search(r"\bVCC pin (\d+)", text)
    if m:
        supply["VCC"] = int(m.group(1))
    m = re.search(r"\bAVCC pin (\d+)", text)
    if m:
        supply["AVCC"] = int(m.group(1))
    m = re.search(r"XTAL1/XTAL2, pins (\d+) and (\d+)", text)
    if m:
        clock = {"XTAL1": int(m.group(1)), "XTAL2": int(m.group(2))}
    m = re.search(r"(\d+) ohms", text)
    if m:
        ohms = int(m.group(1))
    return supply, clock, ohms


# ---------------------------------------------------------------- drawing


def quote(text):
    return "'" + text.replace("\\", "\\\\").replace("'", "\\'").replace("%", "%%") + "'"


class Drawing:
    """Collects ImageMagick draw primitives, each with its own style."""

    def __init__(self):
        self.items = []

    def add(self, style, primitive):
        self.items.append(f"push graphic-context {style} {primitive} pop graphic-context")

    def line(self, x0, y0, x1, y1, colour, width=3):
        self.add(
            f"stroke '{colour}' stroke-width {width} stroke-linecap round fill none",
            f"line {x0},{y0} {x1},{y1}",
        )

    def polyline(self, points, colour, width=3):
        pts = " ".join(f"{x},{y}" for x, y in points)
        self.add(
            f"stroke '{colour}' stroke-width {width} stroke-linecap round "
            "stroke-linejoin round fill none",
            f"polyline {pts}",
        )

    def polygon(self, points, fill, stroke=None, width=1):
        pts = " ".join(f"{x},{y}" for x, y in points)
        edge = f"stroke '{stroke}' stroke-width {width}" if stroke else "stroke none"
        self.add(f"fill '{fill}' {edge} stroke-linejoin round", f"polygon {pts}")

    def rect(self, x0, y0, x1, y1, fill, stroke=None, width=1, radius=0):
        edge = f"stroke '{stroke}' stroke-width {width}" if stroke else "stroke none"
        shape = (
            f"roundrectangle {x0},{y0} {x1},{y1} {radius},{radius}"
            if radius
            else f"rectangle {x0},{y0} {x1},{y1}"
        )
        self.add(f"fill '{fill}' {edge}", shape)

    def circle(self, x, y, r, fill, stroke=None, width=1):
        edge = f"stroke '{stroke}' stroke-width {width}" if stroke else "stroke none"
        self.add(f"fill '{fill}' {edge}", f"circle {x},{y} {x + r},{y}")

    def text(self, x, y, text, size=13, colour=INK, bold=False, anchor="start"):
        font = FONT_BOLD if bold else FONT
        self.add(
            f"font '{font}' font-size {size} fill '{colour}' stroke none text-anchor {anchor}",
            f"text {x},{y} {quote(text)}",
        )

    def mvg(self):
        return "\n".join(self.items)


def text_width(text, size, bold=False):
    """A close enough estimate of DejaVu Sans' advance widths."""
    per_char = 0.66 if bold else 0.6
    return len(text) * size * per_char


def db_pin_xy(pin):
    if pin in DB_TOP_ROW:
        return DB_X0 + (pin - 1) * DB_PITCH, DB_Y_TOP
    return DB_X0 + (pin - 14) * DB_PITCH + DB_PITCH // 2, DB_Y_BOTTOM


def dip_pin_xy(pin):
    """The outer end of the pin's lead."""
    if pin <= 20:
        return DIP_LEFT - DIP_LEAD, DIP_Y1 + (pin - 1) * DIP_PITCH
    return DIP_RIGHT + DIP_LEAD, DIP_Y1 + (DIP_PINS - pin) * DIP_PITCH


def draw_plug(d, colours_by_pin):
    left = DB_X0 - 26
    right = DB_X0 + 12 * DB_PITCH + 26
    top = DB_Y_TOP - 20
    bottom = DB_Y_BOTTOM + 20
    d.rect(left - 30, top - 10, right + 30, bottom + 10, FLANGE, FLANGE_EDGE, 1.5, radius=5)
    for x in (left - 15, right + 15):
        d.circle(x, (top + bottom) / 2, 7, "#ffffff", FLANGE_EDGE, 1.5)
        d.circle(x, (top + bottom) / 2, 3, FLANGE_EDGE)
    slant = 14
    d.polygon(
        [(left, top), (right, top), (right - slant, bottom), (left + slant, bottom)],
        SHELL,
        SHELL_EDGE,
        2,
    )
    for pin in list(DB_TOP_ROW) + list(DB_BOTTOM_ROW):
        x, y = db_pin_xy(pin)
        colour = colours_by_pin.get(pin)
        if colour:
            d.circle(x, y, DB_PIN_R, colour, colour, 1)
            d.text(x, y + 4, str(pin), size=10, colour="#ffffff", bold=True, anchor="middle")
        else:
            d.circle(x, y, DB_PIN_R, PIN_IDLE, PIN_IDLE_EDGE, 1)
            d.text(x, y + 4, str(pin), size=10, colour=MUTED, anchor="middle")
    d.text(
        (left + right) / 2,
        BUS_Y + 24,
        "printer port: DB-25 plug of the cable, seen from its pins",
        size=12,
        colour=MUTED,
        anchor="middle",
    )


def draw_chip(d, wires, colours_by_pin, extra_labels):
    top = DIP_Y1 - 12
    bottom = DIP_Y1 + 19 * DIP_PITCH + 12
    middle = (DIP_LEFT + DIP_RIGHT) / 2
    d.text(middle, top - 14, "AT90S8535, 40-pin DIP, top view", size=12, colour=MUTED,
           anchor="middle")
    for pin in range(1, DIP_PINS + 1):
        x, y = dip_pin_xy(pin)
        colour = colours_by_pin.get(pin)
        end = DIP_LEFT if pin <= 20 else DIP_RIGHT
        d.rect(min(x, end), y - 2.5, max(x, end), y + 2.5, colour or LEAD)
    d.rect(DIP_LEFT, top, DIP_RIGHT, bottom, CHIP, CHIP_EDGE, 1.5, radius=3)
    d.add("fill '#ffffff' stroke none",
          f"path 'M {middle - 12},{top} A 12,12 0 0,0 {middle + 12},{top} Z'")
    d.circle(DIP_LEFT + 22, DIP_Y1, 2.5, CHIP_TEXT_DIM)
    labels = {w["chip_pin"]: w["chip_label"] for w in wires}
    for pin in range(1, DIP_PINS + 1):
        _, y = dip_pin_xy(pin)
        colour = colours_by_pin.get(pin)
        if pin <= 20:
            num_x, num_anchor = DIP_LEFT + 6, "start"
            name_x, name_anchor = DIP_LEFT + 28, "start"
        else:
            num_x, num_anchor = DIP_RIGHT - 6, "end"
            name_x, name_anchor = DIP_RIGHT - 28, "end"
        if colour:
            d.text(num_x, y + 4, str(pin), size=10, colour="#ffffff", bold=True,
                   anchor=num_anchor)
            d.text(name_x, y + 4, labels[pin], size=11, colour="#ffffff", bold=True,
                   anchor=name_anchor)
        else:
            d.text(num_x, y + 4, str(pin), size=10, colour=CHIP_TEXT_DIM, anchor=num_anchor)
            if pin in extra_labels:
                d.text(name_x, y + 4, extra_labels[pin], size=11, colour=CHIP_TEXT,
                       anchor=name_anchor)


def resistor(d, x, y, colour, label):
    """A zigzag resistor centred on (x, y) on a horizontal wire."""
    half = 20
    d.line(x - half - 2, y, x + half + 2, y, "#ffffff", 7)
    points = [(x - half, y)]
    peaks = 6
    for k in range(peaks):
        px = x - half + (k + 0.5) * (2 * half / peaks)
        points.append((round(px, 1), y - 6 if k % 2 == 0 else y + 6))
    points.append((x + half, y))
    d.polyline(points, colour, 2.5)
    d.text(x, y - 11, label, size=11, colour=INK, anchor="middle")


def tag(d, x, y, name, colour):
    """The signal's name in a coloured label sitting on its wire."""
    w = text_width(name, 12, bold=True) + 14
    d.rect(x - w / 2, y - 9, x + w / 2, y + 9, colour, radius=9)
    d.text(x, y + 4.5, name, size=12, colour="#ffffff", bold=True, anchor="middle")


def arrow(d, x, y, colour, towards_chip):
    s = 1 if towards_chip else -1
    d.polygon([(x - 8 * s, y - 7), (x + 9 * s, y), (x - 8 * s, y + 7)], colour)


def route(wires):
    """Gives every wire its path: up (or down) from the plug to a lane of its
    own, along the lane, then over to its pin on the chip. Lanes are stacked
    in the order of the chip's pins so the wires fan in to the chip without
    crossing; they may cross near the plug, where a gap shows that they do
    not touch."""
    upper = sorted((w for w in wires if w["port_pins"][0] in DB_TOP_ROW),
                   key=lambda w: w["chip_pin"])
    lower = [w for w in wires if w["port_pins"][0] in DB_BOTTOM_ROW]
    lowest = LANE_LOWEST
    if upper:
        # The lowest wire runs straight into the chip when its pin is near.
        own = dip_pin_xy(upper[-1]["chip_pin"])[1]
        if LANE_LOWEST - 16 <= own <= LANE_LOWEST + 8:
            lowest = own
    gap = min(LANE_GAP, (lowest - LANE_HIGHEST) // max(1, len(upper) - 1))
    if gap < 26:
        raise WiringError("too many wires from the upper row of the plug to draw clearly")
    for k, w in enumerate(upper):
        w["lane"] = lowest - (len(upper) - 1 - k) * gap
    for w in lower:
        w["lane"] = BUS_Y

    # Fanning in: of two wires that both go down to the chip, the lower one
    # turns first; of two that go up, the upper one turns first.
    ordered = sorted(wires, key=lambda w: w["chip_pin"])
    downs = [w for w in ordered if dip_pin_xy(w["chip_pin"])[1] >= w["lane"]]
    ups = [w for w in ordered if dip_pin_xy(w["chip_pin"])[1] < w["lane"]]
    for k, w in enumerate(downs):
        w["jog"] = JOG_RIGHT - k * JOG_STEP
    for k, w in enumerate(reversed(ups)):
        w["jog"] = JOG_RIGHT - k * JOG_STEP
    if min(w["jog"] for w in wires) < ARROW_X + 24:
        raise WiringError("too many wires turning towards the chip to draw clearly")

    for w in wires:
        x, _ = db_pin_xy(w["port_pins"][-1])
        start_y = DB_Y_TOP - DB_PIN_R if w["lane"] < DB_Y_TOP else DB_Y_BOTTOM + DB_PIN_R
        if len(w["port_pins"]) > 1:
            start_y = w["lane"]  # the bus along the pins is drawn separately
        cx, cy = dip_pin_xy(w["chip_pin"])
        w["path"] = [(x, start_y), (x, w["lane"]), (w["jog"], w["lane"]), (w["jog"], cy), (cx, cy)]


def draw_wires(d, wires, ohms):
    # Horizontal runs first, then the vertical ones over them; a white margin
    # around each vertical run leaves a gap where it passes over another wire.
    for w in wires:
        p = w["path"]
        d.line(p[1][0], p[1][1], p[2][0], p[2][1], w["colour"])
        d.line(p[3][0], p[3][1], p[4][0], p[4][1], w["colour"])
    for w in wires:
        p = w["path"]
        for a, b in ((p[0], p[1]), (p[2], p[3])):
            if a[1] == b[1]:
                continue
            lo, hi = sorted((a[1], b[1]))
            if hi - lo > 14:
                d.line(a[0], lo + 7, a[0], hi - 7, "#ffffff", 9)
            d.line(a[0], a[1], b[0], b[1], w["colour"])

    for w in wires:
        if len(w["port_pins"]) > 1:
            y = w["lane"]
            xs = [db_pin_xy(p)[0] for p in w["port_pins"]]
            row_y = db_pin_xy(w["port_pins"][0])[1]
            for x in xs:
                d.line(x, row_y + DB_PIN_R, x, y, w["colour"])
            d.line(xs[0], y, xs[-1], y, w["colour"])
            for x in xs[1:-1]:
                d.circle(x, y, 3.5, w["colour"])
            d.circle(xs[-1], y, 3.5, w["colour"])

    label_margin = 12
    for w in wires:
        lane = w["lane"]
        if w["direction"] is not None:
            resistor(d, RESISTOR_X, lane, w["colour"], f"{ohms} Ω")
        tag(d, TAG_X, lane, w["name"], w["colour"])
        if w["direction"] is not None:
            arrow(d, ARROW_X, lane, w["colour"], w["direction"] == "to_chip")
        if w["port_label"]:
            x = w["path"][1][0]
            d.text(x + label_margin, lane - 7, w["port_label"], size=11, colour=MUTED)


def draw(wires, supply, clock, ohms):
    spare = iter(SPARE_COLOURS)
    for w in wires:
        if w["name"] == "GND":
            w["colour"] = GROUND
        elif w["name"] in SIGNAL_COLOURS:
            w["colour"] = SIGNAL_COLOURS[w["name"]]
        else:
            try:
                w["colour"] = next(spare)
            except StopIteration:
                raise WiringError("more signals in the wiring table than colours to draw them")
    route(wires)

    db_colours = {p: w["colour"] for w in wires for p in w["port_pins"]}
    chip_colours = {w["chip_pin"]: w["colour"] for w in wires}
    extra = {pin: name for name, pin in list(supply.items()) + list(clock.items())}

    d = Drawing()
    d.text(24, 36, TITLE, size=20, colour=INK, bold=True)
    draw_plug(d, db_colours)
    draw_chip(d, wires, chip_colours, extra)
    draw_wires(d, wires, ohms)

    note_y = HEIGHT - 30
    d.line(24, note_y - 22, WIDTH - 24, note_y - 22, "#d0d0d0", 1)
    vcc = ", ".join(f"{name} pin {pin}" for name, pin in supply.items())
    xtal = "/".join(clock) + ", pins " + " and ".join(str(p) for p in clock.values())
    d.text(24, note_y, f"Not carried by the cable: the chip needs its own supply ({vcc}) "
           f"and a crystal on {xtal}.", size=12, colour=INK)
    d.text(24, note_y + 17, f"Each signal line has a series resistor of about {ohms} Ω "
           "to protect both sides; ground has none. Arrows show which way the data goes.",
           size=12, colour=INK)
    return d


def render(d, path):
    command = [
        "convert",
        "-size", f"{WIDTH}x{HEIGHT}",
        "xc:white",
        "-font", FONT,
        "-draw", d.mvg(),
        "+set", "date:create",
        "+set", "date:modify",
        "-strip",
        "-define", "png:exclude-chunks=date,time",
        f"PNG24:{path}",
    ]
    try:
        subprocess.run(command, check=True)
    except FileNotFoundError:
        raise WiringError("ImageMagick's 'convert' is needed to draw the picture")
    except subprocess.CalledProcessError as e:
        raise WiringError(f"convert failed (exit code {e.returncode})")


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    try:
        section, first_line = read_cable_section(os.path.normpath(README))
        wires, after = parse_table(section, first_line)
        supply, clock, ohms = parse_note(section, after)
        render(draw(wires, supply, clock, ohms), os.path.join(out_dir, OUTPUT))
    except WiringError as e:
        sys.exit(f"make_wiring.py: {e}")


if __name__ == "__main__":
    main()
