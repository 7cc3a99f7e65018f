#!/usr/bin/env python3
"""Draws the four statement layouts (shinkoku-1.FRW .. shinkoku-4.FRW).

The layouts are data the program reads at run time; this script is where their
coordinates come from. Units are 0.1 mm on the printable area of A4 portrait
(frame 0..1960 x 0..2830). Run it from this folder; it rewrites the four files
in CP932 with CR LF line ends.

Fixed-pitch data fonts: a half-width character at S points is S x 10 twips wide,
that is S x 1.7637 units here, so a boxed figure's digit (every second character)
lands every 2 x S x 1.7637 units. The digit boxes are drawn on that pitch.
"""
import sys

MINCHO = "ＭＳ 明朝"
GOTHIC = "ＭＳ ゴシック"
UNIT_PER_PT_HALF = 1.7637  # half-width character width per point size, in units
PT_HEIGHT = 3.528          # one point of text height, in units


def num(v):
    if isinstance(v, str):
        return '"' + v + '"'
    if isinstance(v, float):
        s = ("%.2f" % v).rstrip("0").rstrip(".")
        return s if s not in ("-0", "") else "0"
    return str(v)


class Layout:
    def __init__(self, title):
        self.out = []
        self.slots = 0
        self.rec(7, title)
        self.rec(1, 0, 0, 1960, 2830)
        self.rec(8, 1, 1, 0)
        self.cur_font = None

    def rec(self, *vals):
        self.out.append(",".join(num(v) for v in vals))

    def pen(self, bold=False, dotted=False):
        self.rec(6, 3 if bold else 1, 2 if dotted else 0)

    def line(self, x1, y1, x2, y2):
        self.rec(2, float(x1), float(y1), float(x2), float(y2))

    def box(self, x1, y1, x2, y2):
        self.rec(3, float(x1), float(y1), float(x2), float(y2))

    def font(self, size, name=MINCHO):
        if self.cur_font != (name, size):
            self.rec(5, name, float(size))
            self.cur_font = (name, size)

    def text(self, x, y, s, size=8, name=MINCHO):
        self.font(size, name)
        self.rec(4, float(x), float(y), s)

    def vtext(self, x, y, s, size=8, step=None):
        """Characters stacked downwards from (x, y)."""
        step = step or size * PT_HEIGHT * 1.05
        for i, ch in enumerate(s):
            self.text(x, y + i * step, ch, size)

    def ctext(self, x1, x2, y, s, size=8):
        """Centred between x1 and x2 (full-width characters)."""
        w = len(s) * size * PT_HEIGHT
        self.text((x1 + x2 - w) / 2, y, s, size)

    def fit(self, x1, x2, y1, y2, s, size=8, least=5, center=False, pad=4, lines=None):
        """`s` inside the cell x1..x2, y1..y2: the largest size from `size` down to
        `least` whose wrapped lines fit, centred vertically (and horizontally when
        `center`). `lines` gives the lines instead of wrapping."""
        size_ = size
        one_line = None
        if not lines:
            # One line when a slightly smaller size allows it.
            k = size
            while k >= max(least, size - 1.0) - 1e-9:
                if width(s) <= (x2 - x1 - 2 * pad) / (k * PT_HEIGHT) and \
                        k * PT_HEIGHT <= y2 - y1 - 2 * pad:
                    one_line = k
                    break
                k -= 0.5
        if one_line:
            size_, lines = one_line, [s]
        def layout(k):
            places = (x2 - x1 - 2 * pad) / (k * PT_HEIGHT)
            parts = lines or smart_wrap(s, places)
            fits = all(width(p) <= places + 1e-6 for p in parts) and \
                len(parts) * k * PT_HEIGHT * 1.1 - k * PT_HEIGHT * 0.1 <= y2 - y1 - 2 * pad
            return parts, fits

        while True:
            parts, fits = layout(size_)
            if fits or size_ <= least:
                break
            size_ -= 0.5
        # Fewer lines (no lone last character) when a size at most 1.5 points smaller
        # allows it.
        k = size_ - 0.5
        orphan = len(parts) > 1 and width(parts[-1]) <= 2
        while fits and orphan and not lines and k >= max(least, size_ - 1.5) - 1e-9:
            fewer, ok = layout(k)
            if ok and len(fewer) < len(parts):
                parts, size_ = fewer, k
            k -= 0.5
        line_h = size_ * PT_HEIGHT * 1.1
        hh = len(parts) * line_h - size_ * PT_HEIGHT * 0.1
        y0 = y1 + (y2 - y1 - hh) / 2
        for k, p in enumerate(parts):
            w = width(p) * size_ * PT_HEIGHT
            x = (x1 + x2 - w) / 2 if center else x1 + pad
            self.text(x, y0 + k * line_h, p, size_)

    def title(self, n):
        """"令和□年分所得税青色申告決算書（一般用）" with the year's box clear of 和."""
        self.pen(bold=True)
        self.text(300, 30, "令和", 16)
        self.box(425, 22, 525, 92)
        self.text(535, 30, "年分所得税青色申告決算書（一般用）", 16)
        self.text(1700, 40, "（%sページ）" % "１２３４"[n - 1], 9)

    def year_slot(self):
        """The era year in the title's box. It is the page's last slot, so that the
        slots before it stay where older layouts had them."""
        self.slot(475 - 14 * UNIT_PER_PT_HALF, text_top(22, 70, 14), 14, MINCHO)

    def slot(self, x, y, size=0, name=""):
        self.rec(9, float(x), float(y), name, float(size))
        self.slots += 1

    def grid(self, xs, rows, y0, pitch, size, name=MINCHO):
        """Record 10: len(xs) columns by `rows`, numbered row by row."""
        cols = len(xs)
        xs = [int(round(x)) for x in xs] + [0] * (20 - cols)
        self.rec(10, cols, rows, int(round(y0)), int(round(pitch)), name, float(size), *xs)
        self.slots += cols * rows

    def digit_boxes(self, xslot, top, bottom, boxes, size, thousands=True):
        """Boxes for a boxed figure whose text starts at xslot."""
        cw = size * UNIT_PER_PT_HALF
        left = xslot - cw / 2
        right = left + boxes * 2 * cw
        self.pen()
        self.box(left, top, right, bottom)
        for k in range(1, boxes):
            x = left + k * 2 * cw
            # Every third boundary from the right, the thousands, is a full line.
            full = thousands and (boxes - k) % 3 == 0
            self.pen(dotted=not full)
            self.line(x, top + (0 if full else (bottom - top) * 0.45), x, bottom)
        self.pen()

    def save(self, path):
        self.rec(0)
        data = ("\r\n".join(self.out) + "\r\n").encode("cp932")
        with open(path, "wb") as f:
            f.write(data)


def boxed_x(right, boxes, size, margin=8):
    """The slot x of a boxed figure whose last box ends `margin` before `right`."""
    cw = size * UNIT_PER_PT_HALF
    return right - margin - 2 * boxes * cw + cw / 2


CIRCLED = " ①②③④⑤⑥⑦⑧⑨⑩⑪⑫⑬⑭⑮⑯⑰⑱⑲⑳"


def text_top(row_top, row_h, size):
    return row_top + (row_h - size * PT_HEIGHT) / 2


# ---------------------------------------------------------------- page 1
PAGE1_CAPTIONS = {
    1: "売上（収入）金額（雑収入を含む）", 2: "期首商品（製品）棚卸高", 3: "仕入金額（製品製造原価）",
    4: "小計（②＋③）", 5: "期末商品（製品）棚卸高", 6: "差引原価（④－⑤）",
    7: "差引金額（①－⑥）", 8: "租税公課", 9: "荷造運賃", 10: "水道光熱費",
    11: "旅費交通費", 12: "通信費", 13: "広告宣伝費", 14: "接待交際費", 15: "損害保険料",
    16: "修繕費", 17: "消耗品費", 18: "減価償却費", 19: "福利厚生費", 20: "給料賃金",
    21: "外注工賃", 22: "利子割引料", 23: "地代家賃", 24: "貸倒金", 31: "雑費",
    32: "計", 33: "差引金額（⑦－32）", 34: "貸倒引当金", 37: "計",
    38: "専従者給与", 39: "貸倒引当金", 42: "計",
    43: "青色申告特別控除前の所得金額（33＋37－42）",
    44: "青色申告特別控除額", 45: "所得金額（43－44）",
}


def wrap(s, n):
    return [s[i:i + n] for i in range(0, len(s), n)]


def cw(ch):
    """Width of a character in full-width places."""
    return 0.5 if ord(ch) < 0x80 or 0xFF61 <= ord(ch) <= 0xFF9F else 1.0


def width(s):
    return sum(cw(ch) for ch in s)


OPENING = "（(「［"
CLOSING = "）)」］、。・"


def tokens(s):
    """Pieces a line may not break inside: a bracketed group, a run of digits, and a
    closing bracket or mark with the character before it."""
    out, i = [], 0
    while i < len(s):
        ch = s[i]
        if ch in OPENING:
            depth, j = 0, i
            while j < len(s):
                if s[j] in OPENING:
                    depth += 1
                elif s[j] in CLOSING[:4]:
                    depth -= 1
                    if depth == 0:
                        break
                j += 1
            out.append(s[i:j + 1])
            i = j + 1
        elif ch.isdigit():
            j = i
            while j < len(s) and s[j].isdigit():
                j += 1
            out.append(s[i:j])
            i = j
        else:
            out.append(ch)
            i += 1
    # A closing mark never starts a line: it goes with the piece before it.
    merged = []
    for t in out:
        if merged and t[0] in CLOSING:
            merged[-1] += t
        else:
            merged.append(t)
    return merged


def smart_wrap(s, places):
    """Lines of at most `places` full-width places, broken between pieces only; a
    piece wider than a line is cut by characters."""
    lines, cur = [], ""
    for t in tokens(s):
        if width(cur + t) <= places:
            cur += t
            continue
        if cur:
            lines.append(cur)
            cur = ""
        while width(t) > places:
            k, acc = 0, 0.0
            while k < len(t) and acc + cw(t[k]) <= places:
                acc += cw(t[k])
                k += 1
            k = max(k, 1)
            # Keep a closing mark with the character before it.
            while 1 < k < len(t) and t[k] in CLOSING:
                k -= 1
            lines.append(t[:k])
            t = t[k:]
        cur = t
    if cur:
        lines.append(cur)
    return [l.strip(" ") for l in lines if l.strip(" ")]


def page1():
    L = Layout("青色申告決算書（一般用）１ページ")
    # Title.
    L.title(1)
    # Header block: labels on the left of each half, values beside them.
    top, rh = 120, 118
    left = [("住所", 1), ("事業所所在地", 1), ("業種名", 2), ("屋号", 2), ("加入団体名", 1)]
    right = [("フリガナ", 1), ("氏名", 1), ("電話番号（自宅）", 1), ("電話番号（事業所）", 1),
             ("依頼税理士等 事務所所在地", 2), ("依頼税理士等 氏名（名称）", 1),
             ("依頼税理士等 電話番号", 1)]
    L.pen(bold=True)
    L.box(5, top, 1955, top + 5 * rh)
    L.pen()
    L.line(975, top, 975, top + 5 * rh)
    for i in range(1, 5):
        L.line(5, top + i * rh, 975, top + i * rh)
    rh2 = 5 * rh / 7
    for i in range(1, 7):
        L.line(975, top + i * rh2, 1955, top + i * rh2)
    L.line(180, top, 180, top + 5 * rh)
    L.line(1185, top, 1185, top + 5 * rh)

    for i, (s, _) in enumerate(left):
        L.fit(5, 180, top + i * rh, top + (i + 1) * rh, s, 8, pad=8)
    for i, (s, _) in enumerate(right):
        L.fit(975, 1185, top + i * rh2, top + (i + 1) * rh2, s, 8, pad=8)
    # Slots 1..15 in their order.
    h9 = 9 * PT_HEIGHT

    def left_slot(i, part=0, parts=1):
        y = top + i * rh + (rh - parts * h9 * 1.3) / 2 + part * h9 * 1.3
        L.slot(195, y, 9, MINCHO)

    def right_slot(i, part=0, parts=1):
        y = top + i * rh2 + (rh2 - parts * h9 * 1.2) / 2 + part * h9 * 1.2
        L.slot(1200, y, 9, MINCHO)

    left_slot(0)            # 1 住所
    left_slot(1)            # 2 事業所所在地
    left_slot(2, 0, 2)      # 3-4 業種名
    left_slot(2, 1, 2)
    left_slot(3, 0, 2)      # 5-6 屋号
    left_slot(3, 1, 2)
    right_slot(0)           # 7 フリガナ
    right_slot(1)           # 8 氏名
    right_slot(2)           # 9 電話（自宅）
    right_slot(3)           # 10 電話（事業所）
    left_slot(4)            # 11 加入団体名
    right_slot(4, 0, 2)     # 12-13 税理士住所
    right_slot(4, 1, 2)
    right_slot(5)           # 14 税理士氏名
    right_slot(6)           # 15 税理士電話番号

    # The statement: three columns of lines.
    col_w, xs0 = 650, [5, 655, 1305]
    head_top = 790
    table_top, row_h = 930, 105
    columns = [list(range(1, 18)), list(range(18, 34)), list(range(34, 46))]
    size14 = 14
    cw = size14 * UNIT_PER_PT_HALF

    # Free-line captions (slots 16..21) sit in the caption cells of lines 25..30.
    def row_top(line):
        for c, lines in enumerate(columns):
            if line in lines:
                return c, table_top + lines.index(line) * row_h
        raise ValueError(line)

    for line in range(25, 31):
        c, y = row_top(line)
        L.slot(xs0[c] + 68, text_top(y, row_h, 6), 6, MINCHO)

    # Period (slots 22..25) in the heading of the statement.
    L.pen(bold=True)
    L.text(520, head_top + 20, "損　益　計　算　書", 14)
    L.text(1010, head_top + 26, "（自", 11)
    L.slot(1090, head_top + 26, 11, MINCHO)
    L.text(1140, head_top + 26, "月", 11)
    L.slot(1190, head_top + 26, 11, MINCHO)
    L.text(1240, head_top + 26, "日　至", 11)
    L.slot(1360, head_top + 26, 11, MINCHO)
    L.text(1410, head_top + 26, "月", 11)
    L.slot(1460, head_top + 26, 11, MINCHO)
    L.text(1510, head_top + 26, "日）", 11)

    # Column heads and rules.
    for c, lines in enumerate(columns):
        x0 = xs0[c]
        bottom = table_top + len(lines) * row_h
        L.pen(bold=True)
        L.box(x0, table_top - 50, x0 + col_w - 5, bottom)
        L.pen()
        L.line(x0, table_top, x0 + col_w - 5, table_top)
        L.ctext(x0, x0 + 245, table_top - 38, "科　　目", 8)
        L.ctext(x0 + 245, x0 + col_w - 5, table_top - 38, "金　額（円）", 8)
        L.line(x0 + 245, table_top - 50, x0 + 245, bottom)
        L.line(x0 + 35, table_top, x0 + 35, bottom)
        sections = {0: [("売上原価", 2, 6), ("経　　費", 8, 17)],
                    1: [("経　　費", 18, 32)],
                    2: [("繰戻額等", 34, 37), ("繰入額等", 38, 42)]}[c]
        inside = set()
        for _, a, b in sections:
            inside.update(range(a + 1, b + 1))
        for i, line in enumerate(lines):
            y = table_top + i * row_h
            if i:
                L.pen()
                if line in inside:
                    L.line(x0, y, x0 + 35, y)
                L.line(x0 + (62 if line in inside else 0), y, x0 + col_w - 5, y)
            L.text(x0 + 6, text_top(y, row_h, 8), "%d" % line if line >= 10 else " %d" % line, 8)
            cap = PAGE1_CAPTIONS.get(line)
            if cap:
                in_section = any(a <= line <= b for _, a, b in sections)
                L.fit(x0 + (62 if in_section else 35), x0 + 245, y, y + row_h, cap, 7.5, pad=5)
            xslot = int(round(x0 + 250 + cw / 2))
            L.digit_boxes(xslot, y + 8, y + row_h - 8, 8, size14)
        # Section strips on the left of the captions.
        L.line(x0 + 35, table_top, x0 + 35, bottom)
        for name, a, b in sections:
            ya = table_top + lines.index(a) * row_h
            yb = table_top + (lines.index(b) + 1) * row_h
            L.line(x0 + 62, ya, x0 + 62, yb)
        for name, a, b in sections:
            ya = table_top + lines.index(a) * row_h
            yb = table_top + (lines.index(b) + 1) * row_h
            L.vtext(x0 + 38, ya + (yb - ya - len(name) * 6.5 * PT_HEIGHT * 1.05) / 2, name, 6.5)
    # The amount slots: one grid per column (slots 26..70, lines 1..45).
    for c, lines in enumerate(columns):
        xslot = int(round(xs0[c] + 250 + cw / 2))
        L.grid([xslot], len(lines), int(round(text_top(table_top, row_h, size14))),
                    row_h, size14)
    L.text(1320, table_top + 12 * row_h + 30, "各種引当金・準備金等は、", 7)
    L.text(1320, table_top + 12 * row_h + 60, "繰戻額等・繰入額等の欄に記入します。", 7)
    L.year_slot()
    return L


# ---------------------------------------------------------------- page 2
def page2():
    L = Layout("青色申告決算書（一般用）２ページ")
    L.title(2)
    # Slots 1 and 2: positions of the page's period, left empty.
    L.slot(30, 40, 10.5, MINCHO)
    L.slot(100, 40, 12, MINCHO)

    # Monthly sales and purchases (left), rows of 1..12, 家事消費等, 雑収入, 計.
    top, rh = 170, 74
    x0, xm, xs, xp, x1 = 5, 110, 530, 955, 960
    L.text(x0, top - 50, "○月別売上（収入）金額及び仕入金額", 9)
    L.pen(bold=True)
    L.box(x0, top, x1 - 5, top + 60 + 15 * rh)
    L.pen()
    L.line(x0, top + 60, x1 - 5, top + 60)
    L.line(xm, top, xm, top + 60 + 15 * rh)
    L.line(xs, top, xs, top + 60 + 15 * rh)
    L.ctext(x0, xm, top + 18, "月", 8)
    L.ctext(xm, xs, top + 18, "売上（収入）金額", 8)
    L.ctext(xs, x1 - 5, top + 18, "仕入金額", 8)
    labels = ["%d" % m for m in range(1, 13)] + ["家事消費等", "雑収入", "計"]
    body = top + 60
    for i, s in enumerate(labels):
        y = body + i * rh
        if i:
            L.pen(bold=(i == 12 or i == 14))
            L.line(x0, y, x1 - 5, y)
            L.pen()
        L.fit(x0, xm, y, y + rh, s, 8, center=True)
    # Sales 1..12 (12 points, column format), then 13..15 boxed at 14 points.
    c12 = 12 * UNIT_PER_PT_HALF
    c14 = 14 * UNIT_PER_PT_HALF
    sales_col_x = xs - 12 - 10 * c12
    for m in range(12):
        L.slot(sales_col_x, text_top(body + m * rh, rh, 12), 12, MINCHO)
    boxed_sales_x = boxed_x(xs, 8, 14)
    for i in range(12, 15):
        y = body + i * rh
        L.slot(boxed_sales_x, text_top(y, rh, 14), 14, MINCHO)
        L.digit_boxes(boxed_sales_x, y + 6, y + rh - 6, 8, 14)
    purch_col_x = x1 - 5 - 12 - 10 * c12
    for m in range(12):
        L.slot(purch_col_x, text_top(body + m * rh, rh, 12), 12, MINCHO)
    boxed_purch_x = boxed_x(x1 - 5, 8, 14)
    y = body + 14 * rh
    L.slot(boxed_purch_x, text_top(y, rh, 14), 14, MINCHO)
    L.digit_boxes(boxed_purch_x, y + 6, y + rh - 6, 8, 14)
    # Purchases have no home-use and other-income rows.
    L.pen(dotted=True)
    for i in (12, 13):
        y = body + i * rh
        L.line(xs, y + rh, x1 - 5, y)
    L.pen()
    monthly_bottom = body + 15 * rh

    # Wage tables, full width below.
    c105 = 10.5 * UNIT_PER_PT_HALF
    cols = [5, 380, 520, 620, 760, 1060, 1360, 1660, 1955]  # family: name, 続柄, 年齢, 月数, ...

    def wage_table(title, top, rows, labels, with_relation):
        heads = ["氏　　名"] + (["続柄"] if with_relation else []) + \
                ["年齢", "従事月数", "給料" if with_relation else "給料賃金", "賞　　与",
                 "合　　計", "所得税及び復興特別所得税の源泉徴収税額"]
        xs_ = cols if with_relation else [5, 520, 620, 760, 1060, 1360, 1660, 1955]
        L.text(5, top - 50, title, 9)
        head_h, rh = 70, 64
        bottom = top + head_h + rows * rh
        L.pen(bold=True)
        L.box(5, top, 1955, bottom)
        L.pen()
        L.line(5, top + head_h, 1955, top + head_h)
        for x in xs_[1:-1]:
            L.line(x, top, x, bottom)
        for i, h in enumerate(heads):
            L.fit(xs_[i], xs_[i + 1], top, top + head_h, h, 8, center=True)
        for r in range(1, rows):
            L.pen(bold=(r == rows - 1))
            L.line(5, top + head_h + r * rh, 1955, top + head_h + r * rh)
        L.pen()
        for i, s in enumerate(labels):
            if s:
                L.text(15, text_top(top + head_h + i * rh, rh, 8), s, 8)
        return xs_, top + head_h, rh, bottom

    def person_row(xs_, y, rh, with_relation):
        size = 10.5
        tt = text_top(y, rh, size)
        L.slot(xs_[0] + 12, tt, size, MINCHO)                      # 氏名
        k = 1
        if with_relation:
            L.slot(xs_[1] + 10, tt, size, MINCHO)                  # 続柄
            k = 2
        L.slot(xs_[k + 1] - 10 - 2 * c105, tt, size, MINCHO)       # 年齢
        L.slot(xs_[k + 2] - 10 - 2 * c105, tt, size, MINCHO)       # 従事月数
        for j in range(4):                                          # amounts
            L.slot(xs_[k + 3 + j] - 12 - 10 * c105, tt, size, MINCHO)

    # 専従者給与の内訳: 4 persons and the total row.
    ftop = monthly_bottom + 110
    fxs, fbody, frh, fbottom = wage_table("○専従者給与の内訳", ftop, 5,
                                         ["", "", "", "", "計"], True)
    for r in range(4):
        person_row(fxs, fbody + r * frh, frh, True)
    # Total row: months worked (2 boxes), salary, bonus, total, withheld (6 boxes).
    ty = fbody + 4 * frh
    tt = text_top(ty, frh, 10.5)
    months_x = boxed_x(fxs[4], 2, 10.5, 20)
    L.slot(months_x, tt, 10.5, MINCHO)
    L.digit_boxes(months_x, ty + 8, ty + frh - 8, 2, 10.5, thousands=False)
    L.text(fxs[2] + 8, text_top(ty, frh, 6.5), "延べ月数", 6.5)
    for j in range(3):
        L.slot(fxs[5 + j] - 12 - 10 * c105, tt, 10.5, MINCHO)
    gensen_x = boxed_x(fxs[8], 6, 10.5)
    L.slot(gensen_x, tt, 10.5, MINCHO)
    L.digit_boxes(gensen_x, ty + 8, ty + frh - 8, 6, 10.5)

    # Calculation figures 1..11 at the right of the monthly section.
    calc_x0, calc_x1 = 985, 1955
    box_x = boxed_x(calc_x1, 8, 14)
    cap_x = calc_x0 + 50
    frh2 = 84

    def figures(title, top, items, first):
        L.text(calc_x0, top - 50, title, 9)
        bottom = top + len(items) * frh2
        L.pen(bold=True)
        L.box(calc_x0, top, calc_x1, bottom)
        L.pen()
        L.line(calc_x0 + 42, top, calc_x0 + 42, bottom)
        L.line(box_x - c14 / 2 - 8, top, box_x - c14 / 2 - 8, bottom)
        for i, cap in enumerate(items):
            y = top + i * frh2
            if i:
                L.line(calc_x0, y, calc_x1, y)
            L.fit(calc_x0, calc_x0 + 42, y, y + frh2, CIRCLED[first + i], 8, center=True)
            L.fit(calc_x0 + 42, box_x - c14 / 2 - 8, y, y + frh2, cap, 7, pad=5)
            L.slot(box_x, text_top(y, frh2, 14), 14, MINCHO)
            L.digit_boxes(box_x, y + 6, y + frh2 - 6, 8, 14)
        return bottom

    b1 = figures("○貸倒引当金繰入額の計算", top, [
        "個別評価による本年分繰入額", "年末における一括評価による貸倒引当金の繰入れの対象となる貸金の合計額",
        "本年分繰入限度額", "本年分繰入額", "本年分の貸倒引当金繰入額（①＋④）"], 1)
    figures("○青色申告特別控除額の計算", b1 + 80, [
        "本年分の不動産所得の金額", "青色申告特別控除前の所得金額",
        "65万円又は55万円と⑥のいずれか少ない方の金額（不動産所得から差し引かれる青色申告特別控除額です。）",
        "青色申告特別控除額（65万円又は55万円の青色申告特別控除を受ける場合）",
        "10万円と⑥のいずれか少ない方の金額（不動産所得から差し引かれる青色申告特別控除額です。）",
        "青色申告特別控除額（上記以外の場合）"], 6)

    # 給料賃金の内訳: 5 persons, その他, and the total row.
    etop = fbottom + 110
    exs, ebody, erh, ebottom = wage_table("○給料賃金の内訳", etop, 7,
                                         ["", "", "", "", "", "その他（　　人）", "計"], False)
    for r in range(5):
        person_row(exs, ebody + r * erh, erh, False)
    oy = ebody + 5 * erh
    ot = text_top(oy, erh, 10.5)
    L.slot(15 + 4 * 8 * PT_HEIGHT + 4, ot, 10.5, MINCHO)  # persons of その他
    for j in range(4):
        L.slot(exs[4 + j] - 12 - 10 * c105, ot, 10.5, MINCHO)
    ty = ebody + 6 * erh
    tt = text_top(ty, erh, 10.5)
    months_x = boxed_x(exs[3], 3, 10.5, 20)
    L.slot(months_x, tt, 10.5, MINCHO)
    L.digit_boxes(months_x, ty + 8, ty + erh - 8, 3, 10.5, thousands=False)
    L.text(exs[1] + 8, text_top(ty, erh, 6.5), "延べ月数", 6.5)
    for j in range(3):
        L.slot(exs[4 + j] - 12 - 10 * c105, tt, 10.5, MINCHO)
    gensen_x = boxed_x(exs[7], 6, 10.5)
    L.slot(gensen_x, tt, 10.5, MINCHO)
    L.digit_boxes(gensen_x, ty + 8, ty + erh - 8, 6, 10.5)
    L.year_slot()
    return L


# ---------------------------------------------------------------- page 3
def page3():
    L = Layout("青色申告決算書（一般用）３ページ")
    L.title(3)
    # The rows print at 9 points (the names at 8.4): each column holds its widest
    # text, the amounts "##,###,##0".
    c9 = 9 * UNIT_PER_PT_HALF
    c10 = 10 * UNIT_PER_PT_HALF
    # Columns of the depreciation table: name, quantity, year, month, price, base,
    # method, life, rate, months, ordinary, extra, total, share, expense, balance, memo.
    widths = [158, 72, 40, 40, 166, 166, 104, 40, 100, 40, 166, 166, 166, 56, 166, 166, 0]
    heads = ["減価償却資産の名称等（繰延資産を含む）", "面積又は数量", "取得年", "取得月",
             "取得価額（償却保証額）", "償却の基礎になる金額", "償却方法", "耐用年数",
             "償却率又は改定償却率", "償却期間", "本年分の普通償却費",
             "割増（特別）償却費", "本年分の償却費合計", "事業専用割合", "本年分の必要経費算入額",
             "未償却残高（期末残高）", "摘要"]
    xs = [5]
    for w in widths[:-1]:
        xs.append(xs[-1] + w)
    xs.append(1955)
    top, head_h, rh = 170, 150, 80
    L.text(5, top - 50, "○減価償却費の計算", 9)
    bottom = top + head_h + 11 * rh
    L.pen(bold=True)
    L.box(5, top, 1955, bottom)
    L.pen()
    L.line(5, top + head_h, 1955, top + head_h)
    for x in xs[1:-1]:
        L.line(x, top, x, bottom)
    for i, h in enumerate(heads):
        L.fit(xs[i], xs[i + 1], top, top + head_h, h, 7, center=True, pad=3)
    for r in range(1, 11):
        L.pen(bold=(r == 10))
        L.line(5, top + head_h + r * rh, 1955, top + head_h + r * rh)
    L.pen()
    L.text(15, text_top(top + head_h + 10 * rh, rh, 8), "計", 8)
    kinds = ["name", "text", "n2", "n2", "amt", "amt", "text", "n2", "text", "n2",
             "amt", "amt", "amt", "n3", "amt", "amt", "text"]

    def slot_for(i, y, size):
        tt = text_top(y, rh, size)
        k = kinds[i]
        c = size * UNIT_PER_PT_HALF
        if k in ("name", "text"):
            L.slot(xs[i] + 4, tt, size, MINCHO)
        elif k == "amt":
            L.slot(xs[i + 1] - 4 - 10 * c, tt, size, MINCHO)
        elif k == "n2":
            L.slot(xs[i + 1] - 4 - 2 * c, tt, size, MINCHO)
        else:
            L.slot(xs[i + 1] - 4 - 3 * c, tt, size, MINCHO)

    for r in range(10):
        y = top + head_h + r * rh
        for i in range(17):
            slot_for(i, y, 8.4 if i == 0 else 9)
    y = top + head_h + 10 * rh
    for i in (10, 11, 12, 14, 15, 16):
        slot_for(i, y, 9)
    # The totals row has nothing in the other columns.
    L.pen(dotted=True)
    for i in (1, 2, 3, 4, 5, 6, 7, 8, 9, 13):
        L.line(xs[i], y + rh, xs[i + 1], y)
    L.pen()

    def breakdown(title, top, cols, heads, kinds_):
        L.text(5, top - 50, title, 9)
        head_h2, rh2 = 70, 80
        bottom = top + head_h2 + 2 * rh2
        L.pen(bold=True)
        L.box(5, top, 1955, bottom)
        L.pen()
        L.line(5, top + head_h2, 1955, top + head_h2)
        L.line(5, top + head_h2 + rh2, 1955, top + head_h2 + rh2)
        for x in cols[1:-1]:
            L.line(x, top, x, bottom)
        for i, h in enumerate(heads):
            L.fit(cols[i], cols[i + 1], top, top + head_h2, h, 7, center=True)
        for r in range(2):
            y = top + head_h2 + r * rh2
            tt = text_top(y, rh2, 10)
            for i, k in enumerate(kinds_):
                if k == "text":
                    L.slot(cols[i] + 10, tt, 10, MINCHO)
                else:
                    L.slot(cols[i + 1] - 12 - 10 * c10, tt, 10, MINCHO)
        return bottom

    b = breakdown("○利子割引料の内訳（金融機関を除く）", bottom + 110,
                  [5, 905, 1255, 1605, 1955],
                  ["支払先の住所・氏名", "期末現在の借入金等の金額", "本年中の利子割引料",
                   "左のうち必要経費算入額"], ["text", "amt", "amt", "amt"])
    b = breakdown("○地代家賃の内訳", b + 110,
                  [5, 655, 905, 1255, 1605, 1955],
                  ["支払先の住所・氏名", "賃借物件", "本年中の賃借料・権利金等（賃借料）",
                   "本年中の賃借料・権利金等（権利金等）", "左の賃借料のうち必要経費算入額"],
                  ["text", "text", "amt", "amt", "amt"])
    b = breakdown("○税理士・弁護士等の報酬・料金の内訳", b + 110,
                  [5, 905, 1255, 1605, 1955],
                  ["支払先の住所・氏名", "本年中の報酬等の金額", "左のうち必要経費算入額",
                   "所得税及び復興特別所得税の源泉徴収税額"], ["text", "amt", "amt", "amt"])
    # The memo: five lines of 35 characters at 7.4 points.
    mtop = b + 110
    L.text(5, mtop - 50, "○本年中における特殊事情", 9)
    line_h = 7.4 * PT_HEIGHT * 1.5
    L.pen(bold=True)
    L.box(5, mtop, 1955, mtop + 20 + 5 * line_h + 20)
    L.pen(dotted=True)
    for k in range(1, 5):
        L.line(15, mtop + 20 + k * line_h - 4, 1945, mtop + 20 + k * line_h - 4)
    L.pen()
    for k in range(5):
        L.slot(25, mtop + 20 + k * line_h + 4, 7.4, MINCHO)
    L.year_slot()
    return L


# ---------------------------------------------------------------- page 4
BS_ASSETS = ["現金", "当座預金", "定期預金", "その他の預金", "受取手形", "売掛金", "有価証券",
             "棚卸資産", "前払金", "貸付金", "建物", "建物附属設備", "機械装置", "車両運搬具",
             "工具器具備品", "土地"]
BS_CLAIMS = ["支払手形", "買掛金", "借入金", "未払金", "前受金", "預り金"]
BS_ROWS = 24  # rows of each column, the 合計 row last
COST_CAPTIONS = {
    1: "期首原材料棚卸高", 2: "原材料仕入高", 3: "小計（①＋②）", 4: "期末原材料棚卸高",
    5: "差引原材料費（③－④）", 6: "労務費", 7: "外注工賃", 8: "電力費", 9: "水道光熱費",
    10: "修繕費", 11: "減価償却費", 17: "雑費", 18: "計", 19: "総製造費（⑤＋⑥＋⑱）",
    20: "期首半製品・仕掛品棚卸高", 21: "小計（⑲＋⑳）", 22: "期末半製品・仕掛品棚卸高",
    23: "製品製造原価（21－22）",
}


def page4():
    L = Layout("青色申告決算書（一般用）４ページ")
    L.title(4)
    c9 = 9 * UNIT_PER_PT_HALF
    top, head_h, rh = 250, 130, 80
    body = top + head_h
    bottom = body + BS_ROWS * rh
    # The balance sheet: two columns, each caption | 1月1日 | 12月31日.
    L.pen(bold=True)
    L.text(240, top - 75, "貸　借　対　照　表", 14)
    L.text(720, top - 62, "（資産負債調）", 9)
    L.text(960, top - 62, "（12月31日現在）", 9)
    sides = [(5, 635), (635, 1265)]
    cap_w, amt_w = 230, 200
    for side, (x0, x1) in enumerate(sides):
        xc, xo = x0 + cap_w, x0 + cap_w + amt_w
        L.pen(bold=True)
        L.box(x0, top, x1, bottom)
        L.pen()
        L.line(x0, top + 55, x1, top + 55)
        L.line(x0, body, x1, body)
        L.line(xc, top + 55, xc, bottom)
        L.line(xo, top + 55, xo, bottom)
        L.fit(x0, x1, top, top + 55, "資　産　の　部" if side == 0 else "負　債　・　資　本　の　部",
              9, center=True)
        L.fit(x0, xc, top + 55, body, "科　　目", 8, center=True)
        L.fit(xc, xo, top + 55, body, "1月1日（期首）", 8, center=True)
        L.fit(xo, x1, top + 55, body, "12月31日（期末）", 8, center=True)
        for r in range(1, BS_ROWS):
            L.pen(bold=(r == BS_ROWS - 1))
            L.line(x0, body + r * rh, x1, body + r * rh)
        L.pen()
    # Captions: the asset rows, blank rows, 事業主貸 and 合計; the liability rows,
    # blank rows, 貸倒引当金, blank rows, 事業主借, 元入金, the income and 合計.
    asset_rows = {i: s for i, s in enumerate(BS_ASSETS)}
    asset_rows[22] = "事業主貸"
    asset_rows[23] = "合計"
    claim_rows = {i: s for i, s in enumerate(BS_CLAIMS)}
    claim_rows[13] = "貸倒引当金"
    claim_rows[20] = "事業主借"
    claim_rows[21] = "元入金"
    claim_rows[22] = "青色申告特別控除前の所得金額"
    claim_rows[23] = "合計"
    for (x0, _), rows in zip(sides, (asset_rows, claim_rows)):
        for i, cap in rows.items():
            y = body + i * rh
            L.fit(x0, x0 + cap_w, y, y + rh, cap, 8, pad=8, center=(cap == "合計"))
    # The income has no 1 January figure.
    L.pen(dotted=True)
    y = body + 22 * rh
    L.line(sides[1][0] + cap_w, y + rh, sides[1][0] + cap_w + amt_w, y)
    L.pen()

    def amount_slots(x0, row):
        y = text_top(body + row * rh, rh, 9)
        L.slot(x0 + cap_w + amt_w - 8 - 10 * c9, y, 9, MINCHO)
        L.slot(x0 + cap_w + 2 * amt_w - 8 - 10 * c9, y, 9, MINCHO)

    # Slots 1..36: the asset rows (both days), 事業主貸, 合計.
    for i in list(range(16)) + [22, 23]:
        amount_slots(sides[0][0], i)
    # Slots 37..57: the liability rows, 貸倒引当金, 事業主借, 元入金 (both days), the
    # income (31 December), 合計 (both days).
    for i in list(range(6)) + [13, 20, 21]:
        amount_slots(sides[1][0], i)
    L.slot(sides[1][0] + cap_w + 2 * amt_w - 8 - 10 * c9, text_top(body + 22 * rh, rh, 9), 9,
           MINCHO)
    amount_slots(sides[1][0], 23)

    # 製造原価の計算: 23 lines, the sections on the left strip.
    mx0, mx1 = 1295, 1955
    strip, num_w, amt = 35, 45, 200
    xn, xcap, xamt = mx0 + strip, mx0 + strip + num_w, mx1 - amt
    mrh = (BS_ROWS * rh) / 23.0
    L.pen(bold=True)
    L.text(mx0, top - 100, "製造原価の計算", 9)
    L.text(mx0, top - 52, "（原価計算を行っていない人は、記入する必要はありません。）", 6)
    L.box(mx0, top, mx1, bottom)
    L.pen()
    L.line(mx0, body, mx1, body)
    L.line(xcap, top, xcap, bottom)
    L.line(xamt, top, xamt, bottom)
    L.fit(xcap, xamt, top, body, "科　　目", 8, center=True)
    L.fit(xamt, mx1, top, body, "金　額（円）", 8, center=True)
    sections = [("原材料費", 1, 5), ("その他の製造経費", 7, 18)]
    inside = set()
    for _, a, b in sections:
        inside.update(range(a + 1, b + 1))
    for line in range(1, 24):
        y = body + (line - 1) * mrh
        if line > 1:
            L.pen(bold=line in (6, 19, 23))
            L.line(mx0 if line not in inside else xn, y, mx1, y)
            L.pen()
        L.fit(xn, xcap, y, y + mrh, "%d" % line, 7, center=True, pad=2)
        cap = COST_CAPTIONS.get(line)
        if cap:
            L.fit(xcap, xamt, y, y + mrh, cap, 8, pad=6)
    L.line(xn, body, xn, bottom)
    for name, a, b in sections:
        ya = body + (a - 1) * mrh
        yb = body + b * mrh
        L.vtext(mx0 + 9, ya + (yb - ya - len(name) * 6 * PT_HEIGHT * 1.05) / 2, name, 6)
    # Slots 58..62: the names of the free lines 12..16.
    for line in range(12, 17):
        L.slot(xcap + 6, text_top(body + (line - 1) * mrh, mrh, 9), 9, MINCHO)
    # Slots 63..85: the lines 1..23.
    for line in range(1, 24):
        L.slot(mx1 - 8 - 10 * c9, text_top(body + (line - 1) * mrh, mrh, 9), 9, MINCHO)
    L.year_slot()
    return L


if __name__ == "__main__":
    # Each page's slots and the year's.
    expected = {1: 71, 2: 124, 3: 208, 4: 86}
    for n, make in ((1, page1), (2, page2), (3, page3), (4, page4)):
        layout = make()
        if layout.slots != expected[n]:
            sys.exit("page %d: %d slots, %d expected" % (n, layout.slots, expected[n]))
        layout.save("shinkoku-%d.FRW" % n)
        print("shinkoku-%d.FRW: %d slots, %d records" % (n, layout.slots, len(layout.out)))
