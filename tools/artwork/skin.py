"""The login window's skin: a framed panel with a painted scene and a seat for the pop-up."""

import math
import random

from artwork.paint import *  # noqa: F401,F403 (the drawing vocabulary)
from artwork.popup import POPUP_AT, POPUP_H, POPUP_W


# Login skin (1251 x 733): a framed panel with a painted scene on the left, a place for the
# pop-up on the right, a soft shadow and a medallion rising above the top edge.

SKIN_W, SKIN_H = 1251, 733
PANEL = (26, 58, 1240, 722)
PANEL_R = 16
MEDALLION = (242, 64, 54)  # centre x, centre y, radius
SS = 2  # supersampling of the scene


def ridge(rnd, width, base, rough, count, scale):
    """Midpoint-displacement ridge line, `count` + 1 points across `width`."""
    pts = [base + rnd.uniform(-rough, rough), base + rnd.uniform(-rough, rough)]
    amp = rough
    while len(pts) < count + 1:
        nxt = []
        for a, b in zip(pts, pts[1:]):
            nxt += [a, (a + b) / 2 + rnd.uniform(-amp, amp)]
        nxt.append(pts[-1])
        pts = nxt
        amp *= 0.55
    step = width / (len(pts) - 1)
    return [(i * step * scale, y * scale) for i, y in enumerate(pts)]


def scene(size):
    """The painted scene filling the panel: night sky, moon, mountains, a castle, fog."""
    w, h = size
    big = (w * SS, h * SS)
    img = vgrad(size, [(0, (8, 9, 22)), (0.30, (22, 16, 38)), (0.52, (58, 30, 44)),
                       (0.64, (128, 60, 34)), (0.70, (70, 34, 28)), (1, (12, 9, 8))])
    # Ember glow on the horizon behind the castle, fading to the right.
    img = over(img, paint(radial_mask(size, (300, 470), 420, 150, 0, 0.9), (255, 120, 50)))
    # Stars, denser towards the top.
    rnd = random.Random(319)
    stars = Image.new("L", big, 0)
    sd = ImageDraw.Draw(stars)
    for _ in range(420):
        x = rnd.uniform(0, w)
        y = PANEL[1] + (rnd.random() ** 1.6) * 340
        r = rnd.choice([0.45, 0.55, 0.7, 0.9, 1.2]) * SS
        v = rnd.randint(90, 255)
        sd.ellipse([x * SS - r, y * SS - r, x * SS + r, y * SS + r], fill=v)
    stars = stars.resize(size, Image.BOX)
    img = over(img, paint(stars, (255, 244, 220)))
    for _ in range(14):  # a few bright stars with a small cross of light
        x, y = rnd.uniform(40, 440), rnd.uniform(90, 330)
        sp = Pen(size, SS)
        sp.line([(x - 4, y), (x + 4, y)], 0.6)
        sp.line([(x, y - 4), (x, y + 4)], 0.6)
        sp.circle(x, y, 1.1)
        img = over(img, paint(sp.mask(), (255, 240, 210, 200)))
    # Moon with a halo.
    mx, my, mr = 110, 262, 30
    img = over(img, paint(radial_mask(size, (mx, my), mr * 4, 120, 0, 0.6), (255, 226, 170)))
    moon = Pen(size, SS)
    moon.circle(mx, my, mr)
    moon_mask = moon.mask()
    img = over(img, paint(moon_mask, vgrad(size, [(0, (255, 244, 214)), (1, (230, 200, 150))])))
    craters = Pen(size, SS)
    for (dx, dy, cr) in ((-9, -6, 7), (8, 7, 5), (6, -12, 3.5), (-4, 12, 4)):
        craters.circle(mx + dx, my + dy, cr)
    img = over(img, paint(ImageChops.multiply(craters.mask(), moon_mask), (180, 150, 110, 70)))
    # Mountain layers, far to near, each with haze at its foot.
    layers = [
        (371, 420, 50, (54, 36, 56), (150, 80, 70, 90)),
        (372, 478, 42, (34, 24, 36), (120, 60, 50, 80)),
        (373, 560, 34, (18, 13, 17), (60, 36, 34, 70)),
    ]
    for seed, base, rough, colour, haze in layers:
        lr = random.Random(seed)
        line = ridge(lr, w, base, rough, 256, SS)
        pen = Image.new("L", big, 0)
        ImageDraw.Draw(pen).polygon(line + [(w * SS, h * SS), (0, h * SS)], fill=255)
        mountain = pen.resize(size, Image.BOX)
        img = over(img, paint(mountain, colour))
        fog = smooth_noise(size, seed + 1000, (24, 12), 40, 255)
        band = vgrad(size, [(0, (0, 0, 0, 0)), (max(0, (base + 10) / h - 0.02), (0, 0, 0, 0)),
                            ((base + 40) / h, (0, 0, 0, 255)), (min(1, (base + 80) / h),
                                                                (0, 0, 0, 0)),
                            (1, (0, 0, 0, 0))]).getchannel("A")
        img = over(img, paint(ImageChops.multiply(ImageChops.multiply(fog, band), mountain),
                              haze))
    # Castle on the far right end of the middle ridge, left of the pop-up.
    img = castle(img)
    # Foreground: a dark rise along the bottom.
    lr = random.Random(374)
    line = ridge(lr, w, 640, 20, 256, SS)
    pen = Image.new("L", big, 0)
    ImageDraw.Draw(pen).polygon(line + [(w * SS, h * SS), (0, h * SS)], fill=255)
    img = over(img, paint(pen.resize(size, Image.BOX), (9, 7, 7)))
    # Embers drifting up from the valley.
    er = random.Random(375)
    for _ in range(70):
        x, y = er.uniform(30, 450), er.uniform(360, 660)
        r = er.uniform(0.6, 1.6)
        ep = Pen(size, SS)
        ep.circle(x, y, r)
        m = ep.mask()
        img = over(img, paint(m.filter(ImageFilter.GaussianBlur(2.5)), (255, 130, 40, 150)))
        img = over(img, paint(m, (255, 200, 120, er.randint(140, 255))))
    return img


def castle(img):
    size = img.size
    pen = Pen(size, SS)
    base_y = 520
    parts = [  # (x0, x1, top) of towers and walls
        (262, 410, 470), (276, 300, 404), (318, 336, 430), (350, 382, 380), (392, 408, 440),
        (300, 318, 450), (336, 350, 444),
    ]
    for x0, x1, top in parts:
        pen.rect((x0, top, x1, base_y + 20))
    roofs = [(276, 300, 404, 30), (318, 336, 430, 22), (350, 382, 380, 44), (392, 408, 440, 20)]
    for x0, x1, top, hgt in roofs:
        pen.polygon([(x0 - 2, top), ((x0 + x1) / 2, top - hgt), (x1 + 2, top)])
        pen.rect(((x0 + x1) / 2 - 0.5, top - hgt - 8, (x0 + x1) / 2 + 0.5, top - hgt))
    # Crenellations on the walls.
    for x in range(262, 410, 6):
        pen.rect((x, 466, x + 3, 471))
    # A cliff under it.
    pen.polygon([(230, 560), (250, 518), (270, 512), (420, 514), (436, 540), (452, 600),
                 (460, 700), (210, 700)])
    mask = pen.mask()
    img = over(img, paint(mask, (16, 11, 14)))
    # Lit windows with a small glow.
    win = Pen(size, SS)
    for (x, y) in ((285, 420), (290, 438), (324, 446), (362, 398), (370, 398), (366, 420),
                   (398, 456), (306, 470), (342, 462), (280, 488), (380, 486)):
        win.rrect((x, y, x + 3, y + 5), 1)
    wm = win.mask()
    img = over(img, paint(wm.filter(ImageFilter.GaussianBlur(3)), (255, 150, 60, 220)))
    img = over(img, paint(wm, (255, 214, 130)))
    # A banner on the highest tower.
    flag = Pen(size, SS)
    flag.polygon([(366.5, 328), (382, 331), (366.5, 335)])
    img = over(img, paint(flag.mask(), CRIMSON))
    return img


def panel_masks(scale=SCALE):
    """Panel outline (rounded rectangle plus the medallion) and its gold border."""
    big = (SKIN_W * scale, SKIN_H * scale)
    s = scale
    x0, y0, x1, y1 = PANEL
    mx, my, mr = MEDALLION
    rect = Image.new("L", big, 0)
    ImageDraw.Draw(rect).rounded_rectangle([x0 * s, y0 * s, x1 * s - 1, y1 * s - 1],
                                           radius=PANEL_R * s, fill=255)
    disc = Image.new("L", big, 0)
    ImageDraw.Draw(disc).ellipse([(mx - mr) * s, (my - mr) * s, (mx + mr) * s, (my + mr) * s],
                                 fill=255)
    shape = ImageChops.lighter(rect, disc)
    bw = 2 * s
    rect_line = Image.new("L", big, 0)
    ImageDraw.Draw(rect_line).rounded_rectangle(
        [x0 * s + s, y0 * s + s, x1 * s - 1 - s, y1 * s - 1 - s], radius=(PANEL_R - 1) * s,
        outline=255, width=bw)
    disc_line = Image.new("L", big, 0)
    ImageDraw.Draw(disc_line).ellipse(
        [(mx - mr + 1) * s, (my - mr + 1) * s, (mx + mr - 1) * s, (my + mr - 1) * s],
        outline=255, width=bw)
    # Each outline only where it is not inside the other shape.
    border = ImageChops.lighter(ImageChops.multiply(rect_line, ImageChops.invert(disc)),
                                ImageChops.multiply(disc_line, ImageChops.invert(rect)))
    down = lambda m: m.resize((SKIN_W, SKIN_H), Image.BOX)
    return down(shape), down(border)


def frame_corners(size, box, k, width):
    pen = Pen(size)
    x0, y0, x1, y1 = box
    for (x, y, dx, dy) in ((x0, y0, 1, 1), (x1, y0, -1, 1), (x0, y1, 1, -1), (x1, y1, -1, -1)):
        pen.line([(x + dx * k, y), (x, y), (x, y + dy * k)], width)
        pen.polygon([(x - dx * 3, y - dy * 3), (x - dx * 0.5, y - dy * 6.5),
                     (x + dx * 3, y - dy * 3), (x - dx * 0.5, y + dy * 0.5)])
    return pen.mask()


def login_skin():
    size = (SKIN_W, SKIN_H)
    shape, border = panel_masks()
    face = scene(size)
    # Quiet the sky above and the ground below the pop-up so the frame reads clearly.
    px, py = POPUP_AT
    calm = Image.new("L", size, 0)
    ImageDraw.Draw(calm).rectangle([px - 40, PANEL[1], PANEL[2], PANEL[3]], fill=255)
    calm = calm.filter(ImageFilter.GaussianBlur(30))
    face = over(face, paint(scale_alpha(calm, 0.55), (10, 8, 10)))
    # The pop-up's seat: a dark bed, a thin gold line around it and corner brackets.
    seat = (px - 6, py - 6, px + POPUP_W + 6, py + POPUP_H + 6)
    d = ImageDraw.Draw(face)
    d.rectangle([seat[0] - 1, seat[1] - 1, seat[2], seat[3]], fill=rgba((6, 5, 4)))
    bed = Image.new("L", size, 0)
    ImageDraw.Draw(bed).rectangle([seat[0], seat[1], seat[2] - 1, seat[3] - 1], fill=255)
    face = over(face, paint(bed, vgrad(size, [(0, (26, 20, 15)), (1, (16, 12, 10))])))
    d = ImageDraw.Draw(face)
    d.rectangle([seat[0] + 2, seat[1] + 2, seat[2] - 3, seat[3] - 3], outline=rgba(GOLD_DEEP))
    corners = frame_corners(size, (seat[0] + 2.5, seat[1] + 2.5, seat[2] - 2.5, seat[3] - 2.5),
                            26, 2.2)
    face = over(face, shadow_of(corners, 1.5, 220, (0, 1)))
    face = over(face, paint(corners, gold_fill(size, seat[1] - 8, seat[3] + 8)))
    # Title over the sky on the left.
    title = "《Korvane》"
    tf = font("serif", 50)
    tm = text_mask(size, (240, 160), title, tf, anchor="mm")
    face = over(face, paint(tm.filter(ImageFilter.GaussianBlur(10)), rgba((255, 170, 70), 150)))
    outline = text_mask(size, (240, 160), title, tf, anchor="mm", stroke=2)
    face = over(face, shadow_of(outline, 2, 255, (0, 3)))
    face = over(face, paint(outline, (30, 18, 8)))
    face = over(face, paint(tm, gold_fill(size, 128, 190)))
    sub = "登 入 器"
    sf = font("serif", 17)
    sm = text_mask(size, (240, 210), sub, sf, anchor="mm")
    face = over(face, shadow_of(sm, 1.2, 255, (0, 1)))
    face = over(face, paint(sm, GOLD_LIGHT))
    flo = Pen(size)
    half = text_width(sub, sf) / 2 + 14
    for side in (-1, 1):
        x_in, x_out = 240 + side * half, 240 + side * (half + 70)
        flo.polygon([(x_in, 210), (x_out, 209.4), (x_out, 210.6)])
        flo.polygon([(x_in, 210), (x_in + side * 4, 207), (x_in + side * 8, 210),
                     (x_in + side * 4, 213)])
    face = over(face, paint(flo.mask(), GOLD))
    # Medallion rising above the panel.
    face = medallion(face)
    # Vignette towards the panel edge.
    edge = ImageChops.invert(shape.filter(ImageFilter.GaussianBlur(22)))
    face = over(face, paint(scale_alpha(edge, 0.9), (0, 0, 0)))
    # Gold border with a dark line outside it.
    face = over(face, paint(border, gold_fill(size, PANEL[1], PANEL[3], GOLD_LIGHT, GOLD,
                                                GOLD_DARK)))
    # Compose: soft shadow on a transparent ground, then the face cut to the panel shape.
    img = Image.new("RGBA", size, (0, 0, 0, 0))
    img = over(img, shadow_of(shape, 6, 170, (0, 4)))
    fade = Image.new("L", size, 0)
    ImageDraw.Draw(fade).rectangle([3, 3, SKIN_W - 4, SKIN_H - 4], fill=255)
    fade = fade.filter(ImageFilter.GaussianBlur(1.5))
    img.putalpha(ImageChops.multiply(img.getchannel("A"), fade))
    img = over(img, paint(shape, face))
    return img


def medallion(face):
    size = face.size
    mx, my, mr = MEDALLION
    disc = Pen(size)
    disc.circle(mx, my, mr - 2)
    face = over(face, paint(disc.mask(), vgrad(size, [(0, (58, 24, 20)), (0.12, (30, 14, 12)),
                                                     (0.16, (14, 10, 9)), (1, (14, 10, 9))])))
    glow = radial_mask(size, (mx, my - 12), mr * 1.1, 130, 0, 1.0)
    face = over(face, paint(ImageChops.multiply(glow, disc.mask()), (200, 60, 30)))
    rings = Pen(size)
    rings.ring(mx, my, mr - 7, 1.4)
    rings.ring(mx, my, mr - 11, 0.7)
    for i in range(24):
        a = math.tau * i / 24
        r0, r1 = mr - 10, mr - 7.5
        rings.line([(mx + r0 * math.cos(a), my + r0 * math.sin(a)),
                    (mx + r1 * math.cos(a), my + r1 * math.sin(a))], 0.8)
    face = over(face, paint(rings.mask(), gold_fill(size, my - mr, my + mr, GOLD_LIGHT, GOLD,
                                                      GOLD_DEEP)))
    face = draw_emblem(face, mx, my, mr - 16)
    return face
