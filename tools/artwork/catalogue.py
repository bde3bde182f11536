"""Every skin image by resource id, with the size its window expects."""

from artwork.chrome import (box_button, box_close, busy_frame, caption_button,
                            message_box_background, title_left, title_middle, title_right,
                            toolbar_button, veil)
from artwork.paint import STATES
from artwork.popup import round_button
from artwork.skin import login_skin


BUTTON_LABELS = {  # normal, hover, pressed ids; label; icon; width
    "server": ((211, 212, 231), "選服", "server", 59),
    "bosskey": ((223, 215, 233), "老闆鍵(F10)", "bosskey", 97),
    "fullscreen": ((224, 214, 234), "全屏", "fullscreen", 59),
    "refresh": ((226, 219, 236), "刷新(F5)", "refresh", 78),
    "clearcache": ((252, 253, 261), "清除緩存", "clearcache", 78),
}
CAPTION_IDS = {
    "close": (207, 208, 227), "maximize": (220, 213, 228), "restore": (221, 217, 229),
    "minimize": (209, 210, 230),
}


def png_images():
    images = {172: title_middle(), 203: title_left(), 206: title_right()}
    for kind, ids in CAPTION_IDS.items():
        for rid, state in zip(ids, STATES):
            images[rid] = caption_button(kind, state)
    for ids, label, icon, width in BUTTON_LABELS.values():
        for rid, state in zip(ids, STATES):
            images[rid] = toolbar_button(label, icon, width, state)
    images[275] = veil()
    for n in range(4):
        images[276 + n] = busy_frame(n)
    images[304] = message_box_background()
    images[314] = box_button("确定", True, "normal")
    images[313] = box_button("确定", True, "hover")
    images[312] = box_button("取消", False, "normal")
    images[311] = box_button("取消", False, "hover")
    images[316] = box_close()
    images[319] = login_skin()
    for rid, state in zip((320, 321, 322), STATES):
        images[rid] = round_button("minimize", (31, 30), state)
    for rid, state in zip((323, 324, 325), STATES):
        images[rid] = round_button("close", (35, 36), state)
    return images


# The size each window expects of each image, written out independently of the drawing code.
# The fullscreen (59 wide) and clear-cache (78 wide) images are narrower than their 85-pixel
# buttons, and the pop-up's round minimise image (31 x 30) is smaller than its 35 x 36 button:
# the button shows its captured background in the uncovered part.
EXPECTED_SIZES = {
    172: (1, 30), 203: (203, 30), 206: (92, 30),
    207: (28, 26), 208: (28, 26), 227: (28, 26),  # close
    220: (28, 26), 213: (28, 26), 228: (28, 26),  # maximise
    221: (28, 26), 217: (28, 26), 229: (28, 26),  # restore
    209: (28, 26), 210: (28, 26), 230: (28, 26),  # minimise
    211: (59, 24), 212: (59, 24), 231: (59, 24),  # choose server
    223: (97, 24), 215: (97, 24), 233: (97, 24),  # boss key
    224: (59, 24), 214: (59, 24), 234: (59, 24),  # fullscreen
    226: (78, 24), 219: (78, 24), 236: (78, 24),  # refresh
    252: (78, 24), 253: (78, 24), 261: (78, 24),  # clear cache
    275: (1, 1), 276: (23, 23), 277: (23, 23), 278: (23, 23), 279: (23, 23),
    304: (256, 110), 314: (82, 34), 313: (82, 34), 312: (82, 34), 311: (82, 34), 316: (9, 9),
    319: (1251, 733),
    320: (31, 30), 321: (31, 30), 322: (31, 30), 323: (35, 36), 324: (35, 36), 325: (35, 36),
}
