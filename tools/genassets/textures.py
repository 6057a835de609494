"""The painted textures: miko.png, the atlas of the character's regions, and
squarepolygon.png. Each region of the atlas is painted in the coordinates of
the part that it covers (angle around the part, position along it), so the
features land where the geometry puts them."""
import math

from character import ATLAS_SIZE, REGIONS, TORSO_BOTTOM, TORSO_TOP, region_point

SKIN = (250, 218, 196)
HAIR = (28, 24, 34)
HAIR_SHINE = (62, 56, 74)
KIMONO = (244, 243, 238)
KIMONO_FOLD = (212, 212, 216)
HAKAMA = (196, 28, 38)
HAKAMA_DARK = (150, 18, 28)
IRIS = (92, 44, 36)
PUPIL = (20, 12, 12)
EYE_WHITE = (255, 255, 255)
LINE = (40, 26, 26)
MOUTH = (200, 80, 90)
BLUSH = (246, 178, 170)
SOLE = (205, 180, 120)
TABI = (240, 240, 240)
SPARE = (128, 128, 128)


def _smoothstep(edge0, edge1, x):
    t = min(max((x - edge0) / (edge1 - edge0), 0.0), 1.0)
    return t * t * (3 - 2 * t)


def _mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def _head(fu, fv):
    """Around the head from its back (u = 0, 1) past its left side (u = 0.25)
    to the face (u = 0.5); v from the crown to the chin."""
    a, theta = 2 * math.pi * fu, math.pi * fv
    up, front = math.cos(theta), -math.cos(a)
    hairline = -1.0 + 1.32 * _smoothstep(-0.2, 0.8, front)
    hairline -= 0.07 * abs(math.sin(9 * a)) * _smoothstep(0.3, 0.9, front)  # the fringe
    if up > hairline:
        return HAIR_SHINE if abs(up - 0.62 + 0.05 * math.sin(6 * a)) < 0.03 else HAIR
    for eye in (math.pi - 0.36, math.pi + 0.36):
        du, dv = (a - eye) / 0.13, (theta - 1.66) / 0.17
        if -1.3 < dv < -0.9 and abs(du) < 1.25:
            return LINE  # upper lid
        if du * du + dv * dv < 1:
            if (du + 0.35) ** 2 + (dv + 0.4) ** 2 < 0.09:
                return EYE_WHITE  # highlight
            return PUPIL if du * du + (dv - 0.15) ** 2 < 0.25 else IRIS
        brow = (a - eye) / 0.14
        if abs(brow) < 1 and abs(theta - 1.37 + 0.03 * (1 - brow * brow)) < 0.022:
            return LINE
    smile = (a - math.pi) / 0.11
    if abs(smile) < 1 and abs(theta - 2.04 - 0.025 * (1 - smile * smile)) < 0.02:
        return MOUTH
    for cheek in (math.pi - 0.58, math.pi + 0.58):
        if ((a - cheek) / 0.13) ** 2 + ((theta - 1.9) / 0.07) ** 2 < 1:
            return BLUSH
    return SKIN


def _torso(fu, fv):
    """A white kimono with a red-lined collar crossing at the front, over red
    hakama trousers tied at the waist."""
    away = abs(2 * math.pi * fu - math.pi)  # angle from the front
    y = TORSO_TOP - fv * (TORSO_TOP - TORSO_BOTTOM)
    if y < 1.07:
        if y > 1.035:
            return HAKAMA_DARK  # the ties
        return HAKAMA_DARK if math.cos(7 * away) > 0.93 and away < 1.2 else HAKAMA
    if y > 1.16:
        edge = 0.10 + 0.75 * min((y - 1.16) / 0.26, 1.0)
        if abs(away - edge) < 0.05:
            return HAKAMA
        if 0.05 <= away - edge < 0.09:
            return KIMONO_FOLD
    return KIMONO


def _arm(fu, fv):
    """White sleeves with a few folds and a red cord near the cuff."""
    if 0.86 < fv < 0.89:
        return HAKAMA
    return KIMONO_FOLD if math.cos(6 * math.pi * fu + 4 * fv) > 0.97 else KIMONO


def _leg(fu, fv):
    """Pleated red hakama, darker at the hem."""
    if fv > 0.9:
        return HAKAMA_DARK
    return HAKAMA_DARK if math.cos(16 * math.pi * fu) > 0.9 else HAKAMA


def _skin(fu, fv):
    return SKIN


def _foot(fu, fv):
    """White tabi socks in straw sandals with a red thong over the toes."""
    if fv > 0.62:
        return SOLE
    if abs(2 * math.pi * fu - math.pi) < 0.2 and fv > 0.2:
        return HAKAMA
    return TABI


def _hair(fu, fv):
    """The ponytail, tied with white paper and a red thread at the nape."""
    if 0.14 < fv < 0.22:
        return HAKAMA if 0.17 < fv < 0.19 else EYE_WHITE
    return HAIR_SHINE if math.cos(8 * math.pi * fu + 6 * fv) > 0.85 else HAIR


_PAINTERS = {"head": _head, "torso": _torso, "arm": _arm, "leg": _leg, "skin": _skin, "foot": _foot, "hair": _hair}


def paint_atlas():
    """(width, height, RGB bytes) of the character's texture atlas."""
    pixels = bytearray(bytes(SPARE) * (ATLAS_SIZE * ATLAS_SIZE))
    for region, (x0, y0, x1, y1) in REGIONS.items():
        painter = _PAINTERS[region]
        for py in range(y0, y1):
            for px in range(x0, x1):
                at = (py * ATLAS_SIZE + px) * 3
                pixels[at:at + 3] = bytes(painter(*region_point(region, px, py)))
    return ATLAS_SIZE, ATLAS_SIZE, pixels


def paint_square(size=128):
    """A checkerboard in a dark frame with a red arrow pointing up; the arrow's
    right half is darker, so a mirrored or turned picture is easy to see."""
    pixels = bytearray()
    for y in range(size):
        for x in range(size):
            colour = (235, 225, 190) if (x // 16 + y // 16) % 2 == 0 else (70, 140, 150)
            if min(x, y, size - 1 - x, size - 1 - y) < 4:
                colour = (30, 40, 90)
            head = 20 <= y < 56 and abs(x + 0.5 - 64) < (y - 20) + 0.5
            shaft = 56 <= y < 108 and 52 <= x < 76
            if head or shaft:
                colour = (215, 40, 40) if x < 64 else (150, 25, 25)
            pixels += bytes(colour)
    return size, size, pixels
