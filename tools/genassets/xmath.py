"""4 x 4 matrix and quaternion helpers in the conventions of D3DX: row vectors
multiplied on the left, matrices stored as 16 numbers row by row, a local
matrix is scale x rotation x translation with the translation in the 4th row,
quaternions as (x, y, z, w)."""
import math

IDENTITY = (1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0)


def mul(a, b):
    """a x b: a point is carried by a first, then by b."""
    return tuple(sum(a[r * 4 + k] * b[k * 4 + c] for k in range(4)) for r in range(4) for c in range(4))


def translation(x, y, z):
    return (1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, x, y, z, 1.0)


def rotation_x(angle):
    c, s = math.cos(angle), math.sin(angle)
    return (1.0, 0.0, 0.0, 0.0, 0.0, c, s, 0.0, 0.0, -s, c, 0.0, 0.0, 0.0, 0.0, 1.0)


def rotation_y(angle):
    c, s = math.cos(angle), math.sin(angle)
    return (c, 0.0, -s, 0.0, 0.0, 1.0, 0.0, 0.0, s, 0.0, c, 0.0, 0.0, 0.0, 0.0, 1.0)


def rotation_z(angle):
    c, s = math.cos(angle), math.sin(angle)
    return (c, s, 0.0, 0.0, -s, c, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0)


def transform_point(p, m):
    return tuple(p[0] * m[c] + p[1] * m[4 + c] + p[2] * m[8 + c] + m[12 + c] for c in range(3))


def transform_vector(v, m):
    return tuple(v[0] * m[c] + v[1] * m[4 + c] + v[2] * m[8 + c] for c in range(3))


def origin(m):
    """Where a matrix puts the point (0, 0, 0)."""
    return (m[12], m[13], m[14])


def inverse(m):
    """The inverse of an affine matrix (last column 0, 0, 0, 1)."""
    a = [[m[r * 4 + c] for c in range(3)] for r in range(3)]
    det = (a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]))
    inv = [[(a[(c + 1) % 3][(r + 1) % 3] * a[(c + 2) % 3][(r + 2) % 3] -
             a[(c + 1) % 3][(r + 2) % 3] * a[(c + 2) % 3][(r + 1) % 3]) / det for c in range(3)] for r in range(3)]
    t = [-sum(m[12 + k] * inv[k][c] for k in range(3)) for c in range(3)]
    return (inv[0][0], inv[0][1], inv[0][2], 0.0, inv[1][0], inv[1][1], inv[1][2], 0.0,
            inv[2][0], inv[2][1], inv[2][2], 0.0, t[0], t[1], t[2], 1.0)


def quaternion_matrix(q):
    """The rotation matrix of quaternion (x, y, z, w), as D3DXMatrixRotationQuaternion
    builds it (the quaternion is used as given, not normalised)."""
    x, y, z, w = q
    return (1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w), 0.0,
            2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w), 0.0,
            2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y), 0.0,
            0.0, 0.0, 0.0, 1.0)


def matrix_quaternion(m):
    """The unit quaternion (x, y, z, w), w >= 0, whose quaternion_matrix is the
    rotation part of m (which must be a pure rotation)."""
    m11, m12, m13, m21, m22, m23, m31, m32, m33 = m[0], m[1], m[2], m[4], m[5], m[6], m[8], m[9], m[10]
    trace = m11 + m22 + m33
    if trace > 0:
        s = 2 * math.sqrt(1 + trace)
        q = ((m23 - m32) / s, (m31 - m13) / s, (m12 - m21) / s, s / 4)
    elif m11 >= m22 and m11 >= m33:
        s = 2 * math.sqrt(1 + m11 - m22 - m33)
        q = (s / 4, (m12 + m21) / s, (m31 + m13) / s, (m23 - m32) / s)
    elif m22 >= m33:
        s = 2 * math.sqrt(1 + m22 - m11 - m33)
        q = ((m12 + m21) / s, s / 4, (m23 + m32) / s, (m31 - m13) / s)
    else:
        s = 2 * math.sqrt(1 + m33 - m11 - m22)
        q = ((m31 + m13) / s, (m23 + m32) / s, s / 4, (m12 - m21) / s)
    return q if q[3] >= 0 else tuple(-c for c in q)


def slerp(a, b, t):
    """Spherical interpolation of unit quaternions along the shorter arc."""
    dot = sum(x * y for x, y in zip(a, b))
    if dot < 0:
        b, dot = tuple(-c for c in b), -dot
    if dot > 0.9995:
        wa, wb = 1 - t, t
    else:
        angle = math.acos(dot)
        wa, wb = math.sin((1 - t) * angle) / math.sin(angle), math.sin(t * angle) / math.sin(angle)
    return tuple(wa * x + wb * y for x, y in zip(a, b))


def add(a, b):
    return tuple(x + y for x, y in zip(a, b))


def sub(a, b):
    return tuple(x - y for x, y in zip(a, b))


def scale(a, s):
    return tuple(x * s for x in a)


def dot(a, b):
    return sum(x * y for x, y in zip(a, b))


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def length(a):
    return math.sqrt(dot(a, a))


def normalize(a):
    n = length(a)
    return tuple(x / n for x in a) if n > 0 else tuple(0.0 for _ in a)


def lerp(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))
