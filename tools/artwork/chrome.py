"""The main window's title strip and buttons, the message box and the busy veil."""

import math

from artwork.paint import *  # noqa: F401,F403 (the drawing vocabulary)


# Main window title strip (30 pixels high).

STRIP_H = 30


def strip_background(width):
    bg = vgrad((width, STRIP_H), [(0, (56, 43, 29)), (0.5, (36, 28, 20)), (1, (22, 17, 12))])
    d = ImageDraw.Draw(bg)
    d.line([(0, 0), (width, 0)], fill=rgba((92, 72, 44)))
    d.line([(0, 27), (width, 27)], fill=rgba((16, 12, 9)))
    d.line([(0, 28), (width, 28)], fill=rgba(GOLD_DEEP))
    d.line([(0, 29), (width, 29)], fill=rgba((10, 8, 6)))
    return bg


def title_middle():
    return strip_background(1)


def title_left():
    w = 203
    img = strip_background(w)
    img = draw_emblem(img, 16, 14, 10)
    title = "《Korvane》"
    fnt = font("serif", 16)
    m = text_mask(img.size, (31, 14), title, fnt, anchor="lm")
    img = over(img, shadow_of(m, 0.8, 230, (0, 1)))
    img = over(img, paint(m, gold_fill(img.size, 6, 23)))
    end = 31 + text_width(title, fnt) + 8
    # A thin gold flourish fading out before the tile takes over.
    fl = Pen(img.size)
    fl.line([(end, 14), (195, 14)], 0.8)
    fl.polygon([(end - 3, 14), (end, 11.5), (end + 3, 14), (end, 16.5)])
    # 255 at the left edge falling to 0 at the right edge.
    ramp = ImageChops.invert(Image.linear_gradient("L").rotate(90, expand=True)).resize(img.size)
    img = over(img, paint(ImageChops.multiply(fl.mask(), ramp), GOLD_DEEP))
    return img


def title_right():
    w = 92
    img = strip_background(w)
    # A darker tab behind the three window buttons, its left edge slanted.
    tab = Pen(img.size)
    tab.polygon([(0, 28), (7, 1), (w, 1), (w, 28)])
    img = over(img, paint(tab.mask(), (20, 15, 11, 150)))
    edge = Pen(img.size)
    edge.line([(0.5, 27.5), (7.5, 1)], 1.0)
    img = over(img, paint(edge.mask(), GOLD_DEEP))
    return img


# ---------------------------------------------------------------------------------------
# Window buttons of the title strip (28 x 26).

CAPTION_SIZE = (28, 26)


def glyph_mask(kind, size, dy=0.0):
    pen = Pen(size)
    cx, cy = size[0] / 2, size[1] / 2 + dy
    if kind == "close":
        d = 4.6
        pen.line([(cx - d, cy - d), (cx + d, cy + d)], 1.5)
        pen.line([(cx - d, cy + d), (cx + d, cy - d)], 1.5)
    elif kind == "maximize":
        pen.rect((cx - 5, cy - 4.5, cx + 5, cy + 4.5))
        pen.rect((cx - 3.8, cy - 2.5, cx + 3.8, cy + 3.3), fill=0)
    elif kind == "restore":
        pen.rect((cx - 2.5, cy - 5.5, cx + 5.5, cy + 1.5))
        pen.rect((cx - 1.3, cy - 3.8, cx + 4.3, cy + 0.3), fill=0)
        pen.rect((cx - 5.5, cy - 2.5, cx + 2.5, cy + 5.5), fill=0)
        pen.rect((cx - 5.5, cy - 2.5, cx + 2.5, cy + 5.5))
        pen.rect((cx - 4.3, cy - 0.8, cx + 1.3, cy + 4.3), fill=0)
    elif kind == "minimize":
        pen.rect((cx - 5, cy + 2.5, cx + 5, cy + 4.3))
    return pen.mask()


def caption_button(kind, state):
    size = CAPTION_SIZE
    img = Image.new("RGBA", size, (0, 0, 0, 0))
    plate = Pen(size)
    plate.rrect((1, 1, 27, 25), 4)
    plate_mask = plate.mask()
    rim = Pen(size)
    rim.rrect((1, 1, 27, 25), 4, fill=None, outline=255, width=1)
    rim_mask = rim.mask()
    if state == "hover":
        if kind == "close":
            red = vgrad(size, [(0, (196, 58, 40)), (1, (126, 26, 18))])
            img = over(img, paint(plate_mask, red))
            img = over(img, paint(rim_mask, (232, 120, 90, 200)))
        else:
            img = over(img, paint(plate_mask, vgrad(size, [(0, (120, 92, 48, 200)),
                                                            (1, (70, 52, 28, 200))])))
            img = over(img, paint(rim_mask, rgba(GOLD, 190)))
    elif state == "pressed":
        if kind == "close":
            img = over(img, paint(plate_mask, vgrad(size, [(0, (84, 16, 12)), (1, (132, 30, 20))])))
            img = over(img, paint(rim_mask, (150, 60, 40, 220)))
        else:
            img = over(img, paint(plate_mask, vgrad(size, [(0, (8, 6, 4, 220)),
                                                            (1, (34, 26, 18, 220))])))
            img = over(img, paint(rim_mask, rgba(GOLD_DEEP, 200)))
    dy = 1.0 if state == "pressed" else 0.0
    glyph = glyph_mask(kind, size, dy)
    colour = {"normal": GOLD_LIGHT, "hover": CREAM, "pressed": GOLD}[state]
    img = over(img, shadow_of(glyph, 0.6, 200, (0, 1)))
    img = over(img, paint(glyph, colour))
    return img


# ---------------------------------------------------------------------------------------
# Toolbar buttons of the title strip (24 high), each with a small icon and its label.


def icon_mask(kind, size, x, y, s=12):
    """A 12 x 12 line icon with its top-left corner at (x, y)."""
    pen = Pen(size)
    c = (x + s / 2, y + s / 2)
    w = 1.3
    if kind == "server":  # a globe
        pen.ring(c[0], c[1], 5.6, w)
        pen.ellipse((c[0] - 2.4, c[1] - 5.6, c[0] + 2.4, c[1] + 5.6), fill=None, outline=255,
                    width=1.1)
        pen.line([(c[0] - 5.4, c[1]), (c[0] + 5.4, c[1])], 1.0)
    elif kind == "bosskey":  # a key
        pen.ring(x + 3.6, c[1], 3.0, w)
        pen.line([(x + 6.6, c[1]), (x + 11.5, c[1])], w)
        pen.line([(x + 9.4, c[1]), (x + 9.4, c[1] + 2.6)], w)
        pen.line([(x + 11.3, c[1]), (x + 11.3, c[1] + 2.0)], w)
    elif kind == "fullscreen":  # four corners pointing outwards
        a, b = 0.6, 11.4
        k = 3.8
        for (px, py, dx, dy) in ((a, a, 1, 1), (b, a, -1, 1), (a, b, 1, -1), (b, b, -1, -1)):
            pen.line([(x + px + dx * k, y + py), (x + px, y + py), (x + px, y + py + dy * k)], w)
    elif kind == "refresh":  # a circular arrow
        r = 4.8
        pen.arc((c[0] - r, c[1] - r, c[0] + r, c[1] + r), -20, 250, w)
        ax, ay = c[0] + r * math.cos(math.radians(-20)), c[1] + r * math.sin(math.radians(-20))
        pen.polygon([(ax - 3.2, ay - 0.6), (ax + 2.6, ay - 1.4), (ax + 0.2, ay + 3.6)])
    elif kind == "clearcache":  # a waste bin
        pen.line([(x + 1.2, y + 3.0), (x + 10.8, y + 3.0)], w)
        pen.line([(x + 4.4, y + 1.2), (x + 7.6, y + 1.2)], w)
        pen.polygon([(x + 2.4, y + 4.4), (x + 9.6, y + 4.4), (x + 8.8, y + 11.6),
                     (x + 3.2, y + 11.6)])
        pen.polygon([(x + 3.6, y + 5.6), (x + 8.4, y + 5.6), (x + 7.8, y + 10.4),
                     (x + 4.2, y + 10.4)], fill=0)
        pen.line([(x + 6, y + 6.4), (x + 6, y + 9.6)], 0.9)
    return pen.mask()


def toolbar_button(label, icon, width, state):
    size = (width, 24)
    img = Image.new("RGBA", size, (0, 0, 0, 0))
    body = Pen(size)
    body.rrect((0.5, 1, width - 0.5, 23), 4.5)
    body_mask = body.mask()
    rim = Pen(size)
    rim.rrect((0.5, 1, width - 0.5, 23), 4.5, fill=None, outline=255, width=1)
    rim_mask = rim.mask()
    sheen = Pen(size)
    sheen.rrect((2.5, 2, width - 2.5, 3), 0.5)
    sheen_mask = sheen.mask()
    if state == "normal":
        fill = vgrad(size, [(0, (62, 48, 32, 235)), (1, (30, 23, 16, 235))])
        rim_colour, text_colour, sheen_alpha = rgba(GOLD_DEEP, 210), GOLD_LIGHT, 50
    elif state == "hover":
        fill = vgrad(size, [(0, (126, 94, 46, 245)), (0.55, (84, 62, 32, 245)),
                            (1, (56, 41, 22, 245))])
        rim_colour, text_colour, sheen_alpha = rgba(GOLD_PALE, 230), CREAM, 90
    else:
        fill = vgrad(size, [(0, (8, 6, 4, 250)), (0.6, (26, 19, 12, 250)),
                            (1, (62, 44, 20, 250))])
        rim_colour, text_colour, sheen_alpha = rgba(GOLD_LIGHT, 240), GOLD_PALE, 0
    img = over(img, paint(body_mask, fill))
    if sheen_alpha:
        img = over(img, paint(sheen_mask, (255, 236, 180, sheen_alpha)))
    if state == "pressed":
        inset = Pen(size)
        inset.rrect((1.5, 2, width - 1.5, 6), 2)
        img = over(img, paint(inset.mask().filter(ImageFilter.GaussianBlur(1)), (0, 0, 0, 170)))
    img = over(img, paint(rim_mask, rim_colour))

    dy = 1 if state == "pressed" else 0
    size_px = 13
    while True:
        fnt = font("sans-bold", size_px, FACE_TC)
        tw = text_width(label, fnt)
        if 12 + 3 + tw <= width - 10 or size_px <= 10:
            break
        size_px -= 1
    content = 12 + 3 + tw
    x0 = (width - content) / 2
    icon_m = icon_mask(icon, size, round(x0), 6 + dy)
    txt = text_mask(size, (round(x0) + 15, 12 + dy), label, fnt, anchor="lm")
    both = ImageChops.lighter(icon_m, txt)
    img = over(img, shadow_of(both, 0.5, 220, (0, 1)))
    img = over(img, paint(both, text_colour))
    return img


# ---------------------------------------------------------------------------------------
# Message box (256 x 110) and its buttons.

BOX_W, BOX_H = 256, 110


def message_box_background():
    size = (BOX_W, BOX_H)
    img = vgrad(size, [(0, (34, 26, 19)), (1, (16, 12, 9))])
    # Fine grain so the face is not a flat fill.
    grain = smooth_noise(size, 304, (128, 55), 0, 255)
    img = over(img, paint(scale_alpha(grain, 0.035), (255, 235, 200)))
    header = Image.new("L", size, 0)
    ImageDraw.Draw(header).rectangle([0, 0, BOX_W - 1, 31], fill=255)
    img = over(img, paint(header, vgrad(size, [(0, (104, 40, 28)), (0.30, (60, 22, 16)),
                                              (1, (60, 22, 16))])))
    glow = radial_mask(size, (128, 4), 110, 90, 0, 1.3)
    img = over(img, paint(ImageChops.multiply(glow, header), (255, 170, 90)))
    d = ImageDraw.Draw(img)
    d.line([(0, 31), (BOX_W, 31)], fill=rgba(GOLD_DEEP))
    d.line([(0, 32), (BOX_W, 32)], fill=rgba((8, 6, 5)))
    # Ornaments beside the title: a tapering line and a diamond on each side.
    orn = Pen(size)
    for side in (-1, 1):
        x_in, x_out = 128 + side * 54, 128 + side * 92
        orn.polygon([(x_in, 16), (x_out, 15.4), (x_out, 16.6)])
        orn.polygon([(x_in - side * 0.5, 16), (x_in + side * 3, 13), (x_in + side * 6.5, 16),
                     (x_in + side * 3, 19)])
    img = over(img, paint(orn.mask(), GOLD))
    # Frame: dark edge, gold line, corner brackets.
    d = ImageDraw.Draw(img)
    d.rectangle([0, 0, BOX_W - 1, BOX_H - 1], outline=rgba((6, 5, 4)))
    d.rectangle([1, 1, BOX_W - 2, BOX_H - 2], outline=rgba(GOLD_DEEP))
    d.rectangle([2, 2, BOX_W - 3, BOX_H - 3], outline=rgba((20, 14, 10)))
    brackets = Pen(size)
    k = 9
    for (x, y, dx, dy) in ((3.5, 3.5, 1, 1), (BOX_W - 3.5, 3.5, -1, 1),
                           (3.5, BOX_H - 3.5, 1, -1), (BOX_W - 3.5, BOX_H - 3.5, -1, -1)):
        brackets.line([(x + dx * k, y), (x, y), (x, y + dy * k)], 1.2)
    img = over(img, paint(brackets.mask(), GOLD_LIGHT))
    return img


def box_button(label, primary, state):
    size = (82, 34)
    img = Image.new("RGBA", size, (0, 0, 0, 0))
    box = (3, 3, 79, 31)
    body = Pen(size)
    body.rrect(box, 6)
    body_mask = body.mask()
    rim = Pen(size)
    rim.rrect(box, 6, fill=None, outline=255, width=1.2)
    rim_mask = rim.mask()
    img = over(img, shadow_of(body_mask, 1.5, 200, (0, 1)))
    lit = state == "hover"
    if lit:
        img = over(img, shadow_of(body_mask, 2.2, 150 if primary else 110))
        glow = paint(body.mask().filter(ImageFilter.GaussianBlur(2.2)), rgba(GOLD, 140))
        img = over(img, glow)
    if primary:
        if lit:
            fill = vgrad(size, [(0, (255, 236, 160)), (0.5, (226, 186, 96)), (1, (170, 124, 50))])
        else:
            fill = vgrad(size, [(0, (236, 206, 126)), (0.5, (196, 156, 72)), (1, (138, 98, 38))])
        rim_colour, text_colour = rgba((92, 62, 24)), (44, 26, 10)
        text_glow = (255, 240, 190, 130)
    else:
        if lit:
            fill = vgrad(size, [(0, (104, 80, 48)), (1, (54, 40, 26))])
            rim_colour, text_colour = rgba(GOLD_PALE), CREAM
        else:
            fill = vgrad(size, [(0, (66, 51, 35)), (1, (32, 25, 18))])
            rim_colour, text_colour = rgba(GOLD), GOLD_LIGHT
        text_glow = (0, 0, 0, 220)
    img = over(img, paint(body_mask, fill))
    sheen = Pen(size)
    sheen.rrect((6, 4.5, 76, 5.5), 0.5)
    img = over(img, paint(sheen.mask(), (255, 245, 210, 110 if primary else 60)))
    img = over(img, paint(rim_mask, rim_colour))
    fnt = font("sans-bold", 14, FACE_SC)
    txt = text_mask(size, (41, 17), label, fnt, anchor="mm")
    img = over(img, shadow_of(txt, 0.5, text_glow[3], (0, 1)) if not primary else
               paint(ImageChops.offset(txt, 0, 1), text_glow))
    img = over(img, paint(txt, text_colour))
    return img


def box_close():
    size = (9, 9)
    pen = Pen(size, 8)
    pen.line([(1.6, 1.6), (7.4, 7.4)], 1.5)
    pen.line([(1.6, 7.4), (7.4, 1.6)], 1.5)
    return paint(pen.mask(), GOLD_PALE)


# ---------------------------------------------------------------------------------------
# Busy veil: one translucent black pixel, and four frames of a 2 x 2 grid.

FRAME_CELLS = {"tl": (1, 1), "tr": (12, 1), "bl": (1, 12), "br": (12, 12)}
FRAME_ORDER = ["br", "bl", "tl", "tr"]  # the lit square of frames 1 to 4


def veil():
    img = Image.new("RGBA", (1, 1), (0, 0, 0, 230))
    return img


def busy_frame(n):
    size = (23, 23)
    img = Image.new("RGBA", size, (0, 0, 0, 0))
    lit = FRAME_ORDER[n]
    trail = FRAME_ORDER[n - 1]
    for name, (x, y) in FRAME_CELLS.items():
        cell = Pen(size)
        cell.rrect((x, y, x + 10, y + 10), 2)
        if name == lit:
            img = over(img, paint(cell.mask(), vgrad(size, [(y / 22, GOLD_PALE),
                                                             ((y + 10) / 22, GOLD)])))
        elif name == trail:
            img = over(img, paint(cell.mask(), rgba(GOLD, 120)))
        else:
            img = over(img, paint(cell.mask(), rgba(GOLD_DEEP, 70)))
    return img
