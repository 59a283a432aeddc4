#!/usr/bin/python3
"""Writes the shipped level, world.dat, to standard output (or to the file named as the argument).

The level is built on the player's fixed collision: the walkable rectangle x -18..18, z -68..18 and eleven
boxes. Everything a player could walk into stands inside a box or beyond the rectangle; what has no box lies
flat on the ground (paths, water, tiles, the rug) or stands on the hills outside the boundary walls. Wall faces
stand half a unit inside their boxes, because the player's eye may be drawn one 0.5 step inside a box before
the next frame pushes it out.

Coordinates: y is up, the floor is y = 0, the eye is 0.25 above it. Only integers and fixed-point decimals
are written, so the output is the same on every machine.
"""
import math
import sys

# Texture slots.
FLOOR1, DOOR1, WALL1, CRATE, SAND, TREE, GREEN, TITLE, RED, ENERGY, BRICK1, WATERFALL, DOOR2, INTRO, PRESSX, \
    WATERFALL2 = range(16)

# The collision the level is built on (x min, x max, z min, z max), in rule order.
BOXES = [(-4, 4, -6, -2), (2, 6, -4, 4), (-6, -2, -4, 4), (-4, 1, 2, 6), (2, 4, 2, 6),
         (-20, -17, 8, 12), (-16, -12, 8, 12), (-14, -10, 10, 20),
         (-4, 3, -70, -58), (-6, -2, -70, -58), (1, 5, -70, -58)]
WALK = (-18, 18, -68, 18)


class Level:
    def __init__(self):
        self.parts = []  # (comment, [triangles]); a triangle is (slot, ((x, y, z, u, v) * 3))
        self.current = None

    def part(self, comment):
        self.current = []
        self.parts.append((comment, self.current))

    def tri(self, slot, a, b, c):
        self.current.append((slot, (a, b, c)))

    def quad(self, slot, a, b, c, d):
        """Corners in order around the quad; each (x, y, z, u, v)."""
        self.tri(slot, a, b, c)
        self.tri(slot, a, c, d)

    def write(self, out):
        count = sum(len(t) for _, t in self.parts)
        out.write("/ Gorvane: the valley level.\n")
        out.write("/ Each triangle: its texture slot, then three corners of x y z u v (y is up, the floor is 0).\n")
        out.write("NUMPOLLIES %d\n" % count)
        for comment, tris in self.parts:
            out.write("\n/ %s (%d triangles)\n" % (comment, len(tris)))
            for slot, corners in tris:
                out.write("%d\n" % slot)
                for corner in corners:
                    out.write(" ".join(fmt(value) for value in corner) + "\n")


def fmt(value):
    text = "%.4f" % value
    text = text.rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


# --- building blocks -----------------------------------------------------------------------------------------

def floor_rect(level, slot, x0, x1, z0, z1, y=0.0, tile=2.0):
    """A flat rectangle with texture coordinates from world position, so neighbours join seamlessly."""
    def corner(x, z):
        return (x, y, z, x / tile, -z / tile)
    level.quad(slot, corner(x0, z1), corner(x1, z1), corner(x1, z0), corner(x0, z0))


def wall_face(level, slot, x0, z0, x1, z1, y0, y1, tile_u=1.0, tile_v=1.0, u_origin=0.0):
    """An upright rectangle from (x0, z0) to (x1, z1) between heights y0 and y1."""
    length = math.hypot(x1 - x0, z1 - z0)
    u0 = u_origin / tile_u
    u1 = (u_origin + length) / tile_u
    level.quad(slot, (x0, y0, z0, u0, y0 / tile_v), (x1, y0, z1, u1, y0 / tile_v),
               (x1, y1, z1, u1, y1 / tile_v), (x0, y1, z0, u0, y1 / tile_v))


def solid(level, rects, y0, y1, slot, tile_u=1.0, tile_v=1.0, top=True, top_slot=None, bottom=False):
    """The outer surface of a union of axis-aligned rectangles raised from y0 to y1.

    The plan is split on every rectangle edge; faces are emitted between solid and open cells, and runs of
    faces along one line are merged, so no face is hidden inside the solid.
    """
    xs = sorted({r[0] for r in rects} | {r[1] for r in rects})
    zs = sorted({r[2] for r in rects} | {r[3] for r in rects})

    def filled(i, j):
        if i < 0 or j < 0 or i >= len(xs) - 1 or j >= len(zs) - 1:
            return False
        cx = (xs[i] + xs[i + 1]) / 2
        cz = (zs[j] + zs[j + 1]) / 2
        return any(r[0] < cx < r[1] and r[2] < cz < r[3] for r in rects)

    # Faces across x (facing -x or +x), merged along z.
    for i in range(len(xs)):
        for side in (-1, 1):
            run = None
            for j in range(len(zs)):
                edge = j < len(zs) - 1 and filled(i - 1 if side > 0 else i, j) and \
                    not filled(i if side > 0 else i - 1, j)
                if edge and run is None:
                    run = zs[j]
                elif not edge and run is not None:
                    z_from, z_to = (run, zs[j]) if side > 0 else (zs[j], run)
                    wall_face(level, slot, xs[i], z_to, xs[i], z_from, y0, y1, tile_u, tile_v,
                              u_origin=-z_to if side > 0 else z_to)
                    run = None
    # Faces across z, merged along x.
    for j in range(len(zs)):
        for side in (-1, 1):
            run = None
            for i in range(len(xs)):
                edge = i < len(xs) - 1 and filled(i, j - 1 if side > 0 else j) and \
                    not filled(i, j if side > 0 else j - 1)
                if edge and run is None:
                    run = xs[i]
                elif not edge and run is not None:
                    x_from, x_to = (run, xs[i]) if side > 0 else (xs[i], run)
                    wall_face(level, slot, x_from, zs[j], x_to, zs[j], y0, y1, tile_u, tile_v,
                              u_origin=x_from if side > 0 else -x_from)
                    run = None
    for height, wanted in ((y1, top), (y0, bottom)):
        if not wanted:
            continue
        for j in range(len(zs) - 1):
            run = None
            for i in range(len(xs)):
                inside = i < len(xs) - 1 and filled(i, j)
                if inside and run is None:
                    run = xs[i]
                elif not inside and run is not None:
                    floor_rect(level, top_slot if top_slot is not None else slot, run, xs[i], zs[j], zs[j + 1],
                               y=height, tile=tile_u * 2)
                    run = None


def crate(level, cx, cz, size, y0=0.0, turn=0.0):
    """A wooden crate standing on y0, turned by turn degrees; every face shows the whole crate picture."""
    half = size / 2
    c, s = math.cos(math.radians(turn)), math.sin(math.radians(turn))
    corners = []
    for dx, dz in ((-half, -half), (half, -half), (half, half), (-half, half)):
        corners.append((cx + dx * c - dz * s, cz + dx * s + dz * c))
    for k in range(4):
        (xa, za), (xb, zb) = corners[k], corners[(k + 1) % 4]
        level.quad(CRATE, (xa, y0, za, 0, 0), (xb, y0, zb, 1, 0), (xb, y0 + size, zb, 1, 1),
                   (xa, y0 + size, za, 0, 1))
    top = y0 + size
    (x0, z0), (x1, z1), (x2, z2), (x3, z3) = corners
    level.quad(CRATE, (x0, top, z0, 0, 0), (x1, top, z1, 1, 0), (x2, top, z2, 1, 1), (x3, top, z3, 0, 1))


def tree(level, x, y, z, scale, turn):
    """A low-poly tree: a square trunk (the bark strip of the picture, u 0..0.22) under two pyramids of leaves
    (u 0.3..1)."""
    c, s = math.cos(math.radians(turn)), math.sin(math.radians(turn))

    def ring(radius, height):
        points = []
        for dx, dz in ((-1, -1), (1, -1), (1, 1), (-1, 1)):
            px, pz = dx * radius, dz * radius
            points.append((x + px * c - pz * s, y + height, z + px * s + pz * c))
        return points

    trunk_low, trunk_high = ring(0.12 * scale, -0.3), ring(0.1 * scale, 1.0 * scale)
    for k in range(4):
        a, b = trunk_low[k], trunk_low[(k + 1) % 4]
        d, e = trunk_high[k], trunk_high[(k + 1) % 4]
        level.quad(TREE, a + (0.02, 0.02), b + (0.2, 0.02), e + (0.2, 0.98), d + (0.02, 0.98))
    for base, apex, radius in ((0.7, 2.4, 0.9), (1.6, 3.3, 0.65)):
        points = ring(radius * scale, base * scale)
        tip = (x, y + apex * scale, z)
        for k in range(4):
            a, b = points[k], points[(k + 1) % 4]
            level.tri(TREE, a + (0.32, 0.04), b + (0.96, 0.04), tip + (0.64, 0.96))
        level.quad(TREE, points[0] + (0.4, 0.1), points[1] + (0.9, 0.1), points[2] + (0.9, 0.6),
                   points[3] + (0.4, 0.6))


# --- the level ------------------------------------------------------------------------------------------------

def build():
    level = Level()

    # Ground: a grass field under everything, with sand paths, tiled floors, a rug and water laid into it.
    # The plan is split on every region's edges and each cell takes the last region that covers it, so the
    # ground is one layer with no overlapping faces.
    regions = [
        (GREEN, -19.5, 19.5, -69.5, 19.5),
        (SAND, 0.6, 2.4, 5.5, 8.5),        # from the hut's door south to the lane
        (SAND, -17.6, 9.0, 6.5, 8.5),      # the lane along the yard wall
        (SAND, 7.0, 9.0, -56.0, 8.5),      # the long path north, east of the hut
        (SAND, -6.5, 9.0, -57.5, -55.5),   # the path across to the waterfall
        (FLOOR1, -17.2, -15.8, 8.5, 11.5),  # the yard's gateway
        (FLOOR1, -19.5, -11.8, 11.5, 19.5),  # the yard's paving
        (FLOOR1, -2.5, 2.5, -3.0, 2.5),    # the hut's floor
        (FLOOR1, 0.8, 2.2, 2.5, 5.5),      # the hut's doorway
        (RED, -1.5, 1.5, -2.0, 1.5),       # the rug under the start point
        (WATERFALL2, -2.0, 1.0, -59.5, -55.5),  # the pool at the foot of the falls
        (WATERFALL2, -1.2, 0.2, -55.5, -31.0),  # the stream
        (WATERFALL2, -4.0, 3.0, -31.0, -25.0),  # the pond
    ]
    level.part("Ground: grass, sand paths, tiled floors of the hut and the yard, the rug, the pool, stream "
               "and pond")
    xs = sorted({r[1] for r in regions} | {r[2] for r in regions})
    zs = sorted({r[3] for r in regions} | {r[4] for r in regions})
    for j in range(len(zs) - 1):
        cz = (zs[j] + zs[j + 1]) / 2
        run_start, run_slot = None, None
        for i in range(len(xs)):
            slot = None
            if i < len(xs) - 1:
                cx = (xs[i] + xs[i + 1]) / 2
                for region in regions:
                    if region[1] < cx < region[2] and region[3] < cz < region[4]:
                        slot = region[0]
            if slot != run_slot:
                if run_slot is not None:
                    floor_rect(level, run_slot, run_start, xs[i], zs[j], zs[j + 1],
                               tile=4.0 if run_slot == GREEN else 2.0)
                run_start, run_slot = xs[i], slot

    # The hut around the start point: rules 1 to 5. Walls half a unit inside their boxes; the doorway
    # (x 0.8 to 2.2) spans the open strip of x 1 to 2 that rules 4 and 5 leave.
    level.part("Hut: stone walls of rules 1 to 5 around the start point, doorway in the south wall")
    hut = [(-3.5, 3.5, -5.5, -3.0), (2.5, 5.5, -3.5, 3.5), (-5.5, -2.5, -3.5, 3.5),
           (-3.5, 0.8, 2.5, 5.5), (2.2, 3.5, 2.5, 5.5)]
    solid(level, hut, 0.0, 1.2, WALL1, tile_u=1.2, tile_v=1.2)
    level.part("Hut: roof over the room and the lintel over the doorway")
    floor_rect(level, BRICK1, -2.5, 2.5, -3.0, 2.5, y=1.2, tile=1.2)
    solid(level, [(0.8, 2.2, 2.5, 5.5)], 0.9, 1.2, WALL1, tile_u=1.2, tile_v=1.2, bottom=True)
    level.part("Hut: the door, swung open against the east side of the doorway")
    level.quad(DOOR1, (2.18, 0, 5.45, 0, 0), (2.18, 0, 4.05, 1, 0), (2.18, 0.88, 4.05, 1, 1),
               (2.18, 0.88, 5.45, 0, 1))
    level.part("Hut: a painting of the valley on the west wall")
    level.quad(TITLE, (-2.48, 0.35, 1.2, 0, 0), (-2.48, 0.35, -1.2, 1, 0), (-2.48, 0.95, -1.2, 1, 1),
               (-2.48, 0.95, 1.2, 0, 1))
    level.part("Hut: crates along the north wall (inside rule 1's box)")
    crate(level, -1.95, -2.75, 0.45)
    crate(level, -1.95, -2.75, 0.4, y0=0.45, turn=12)
    crate(level, -1.4, -2.77, 0.42, turn=-6)
    crate(level, 1.75, -2.75, 0.45, turn=4)

    # The yard in the south-west corner: rules 6 to 8. The gateway (x -17.2 to -15.8) spans the open strip
    # of x -17 to -16. Crates stand against the east wall, within rule 8's box.
    level.part("Yard: brick walls of rules 6 to 8, gateway in the north wall")
    yard = [(-19.25, -17.2, 8.5, 11.5), (-15.8, -12.5, 8.5, 11.5), (-12.5, -10.5, 10.5, 11.5),
            (-11.8, -10.5, 10.5, 19.25)]
    solid(level, yard, 0.0, 0.8, BRICK1, tile_u=1.0, tile_v=1.0, top_slot=BRICK1)
    level.part("Yard: a notice on the inside of the north wall")
    level.quad(INTRO, (-15.4, 0.15, 11.52, 0, 0), (-13.0, 0.15, 11.52, 1, 0), (-13.0, 0.75, 11.52, 1, 1),
               (-15.4, 0.75, 11.52, 0, 1))
    level.part("Yard: crates stacked against the east wall (inside rule 8's box)")
    crate(level, -12.1, 12.4, 0.5)
    crate(level, -12.1, 12.4, 0.45, y0=0.5, turn=8)
    crate(level, -12.15, 13.05, 0.5, turn=-5)
    crate(level, -12.7, 12.45, 0.45, turn=15)
    crate(level, -12.1, 15.6, 0.5, turn=3)
    crate(level, -12.1, 16.2, 0.5, turn=-4)
    crate(level, -12.1, 16.0, 0.45, y0=0.5, turn=20)
    crate(level, -12.2, 17.9, 0.5)

    # The north end: rules 9 to 11. A waterfall pours down a cliff set back between two rock walls.
    level.part("North end: rock walls of rules 10 and 11 either side of the falls")
    solid(level, [(-5.5, -2.0, -69.25, -58.5)], 0.0, 4.0, WALL1, tile_u=2.0, tile_v=2.0)
    solid(level, [(-5.0, -2.5, -69.25, -60.0)], 4.0, 5.5, WALL1, tile_u=2.0, tile_v=2.0)
    solid(level, [(1.0, 4.5, -69.25, -58.5)], 0.0, 4.0, WALL1, tile_u=2.0, tile_v=2.0)
    solid(level, [(1.5, 4.0, -69.25, -60.5)], 4.0, 5.0, WALL1, tile_u=2.0, tile_v=2.0)
    level.part("North end: a door into the west rock")
    level.quad(DOOR2, (-4.7, 0, -58.48, 0, 0), (-3.1, 0, -58.48, 1, 0), (-3.1, 1.1, -58.48, 1, 1),
               (-4.7, 1.1, -58.48, 0, 1))
    level.part("North end: the falls (rule 9) on the cliff face and the water running over its top")
    for k in range(3):
        y0, y1 = k * 1.2, (k + 1) * 1.2
        level.quad(WATERFALL, (-2.0, y0, -59.5, 0, y0 / 1.2), (1.0, y0, -59.5, 1, y0 / 1.2),
                   (1.0, y1, -59.5, 1, y1 / 1.2), (-2.0, y1, -59.5, 0, y1 / 1.2))
    floor_rect(level, WATERFALL2, -2.0, 1.0, -69.25, -59.5, y=3.6)

    # The boundary: walls just beyond the walkable rectangle, and hills with trees behind them.
    level.part("Boundary: stone walls around the walkable rectangle")
    ring = [(-19.5, -19.0, -69.5, 19.5), (19.0, 19.5, -69.5, 19.5), (-19.5, 19.5, -69.5, -69.0),
            (-19.5, 19.5, 19.0, 19.5)]
    solid(level, ring, 0.0, 0.7, BRICK1, tile_u=1.0, tile_v=1.0)

    level.part("Boundary: hills rising beyond the walls")
    rings = [(-19.5, 19.5, -69.5, 19.5), (-27.0, 27.0, -77.0, 27.0), (-45.0, 45.0, -95.0, 45.0)]
    per_side = (7, 15)  # segments along x and along z

    def perimeter(rect):
        x0, x1, z0, z1 = rect
        points = []
        nx, nz = per_side
        for k in range(nx):
            points.append((x0 + (x1 - x0) * k / nx, z1))
        for k in range(nz):
            points.append((x1, z1 + (z0 - z1) * k / nz))
        for k in range(nx):
            points.append((x1 + (x0 - x1) * k / nx, z0))
        for k in range(nz):
            points.append((x0, z0 + (z1 - z0) * k / nz))
        return points

    def hill_height(ring_index, k):
        if ring_index == 0:
            return 0.0
        wave = math.sin(k * 0.9) * 0.5 + math.sin(k * 2.3 + 1.0) * 0.3
        return (1.6 + wave) if ring_index == 1 else (6.0 + wave * 3.0)

    outlines = [[(x, hill_height(r, k), z) for k, (x, z) in enumerate(perimeter(rect))]
                for r, rect in enumerate(rings)]
    for inner, outer in zip(outlines, outlines[1:]):
        n = len(inner)
        for k in range(n):
            a, b = inner[k], inner[(k + 1) % n]
            c, d = outer[(k + 1) % n], outer[k]
            level.quad(GREEN, *[(p[0], p[1], p[2], p[0] / 4, -p[2] / 4) for p in (a, b, c, d)])

    level.part("Boundary: trees on the hills")
    inner, outer = outlines[0], outlines[1]
    for k in range(len(inner)):
        for frac, shift in ((0.45, 0.0), (0.8, 0.5)):
            a = inner[k]
            b = outer[k]
            a2, b2 = inner[(k + 1) % len(inner)], outer[(k + 1) % len(inner)]
            # A point part way up the slope, shifted along it.
            p = [(1 - frac) * ((1 - shift) * a[i] + shift * a2[i]) + frac * ((1 - shift) * b[i] + shift * b2[i])
                 for i in range(3)]
            if (k * 7 + int(shift * 2)) % 3 == 2:
                continue
            scale = 0.8 + 0.35 * ((k * 5 + int(frac * 10)) % 4) / 3
            tree(level, p[0], p[1], p[2], scale, turn=(k * 37 + int(frac * 100)) % 90)
    return level


def main():
    level = build()
    if len(sys.argv) > 1:
        with open(sys.argv[1], "w", newline="\n") as out:
            level.write(out)
    else:
        level.write(sys.stdout)


if __name__ == "__main__":
    main()
