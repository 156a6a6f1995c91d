#!/usr/bin/env python3
"""Writes the mesh viewer's sample: a wedge of parmesan as a text .x file, with the
texture of its cut faces. Run from this folder: python3 make_parm_wedge.py"""
import math
import os
import random
import struct
import zlib

RADIUS = 2.0
HEIGHT = 1.0
ANGLE = math.radians(50)
RIND_STEPS = 10
TEXTURE_SIZE = 128


def write_png(path, size, pixels):
    rows = b"".join(b"\0" + bytes(c for p in pixels[y * size:(y + 1) * size] for c in p)
                    for y in range(size))

    def chunk(kind, data):
        block = kind + data
        return struct.pack(">I", len(data)) + block + struct.pack(">I", zlib.crc32(block))

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(rows, 9)))
        out.write(chunk(b"IEND", b""))


def cheese_texture():
    # Pale straw with grain and the odd white crystal, as a cut parmesan shows.
    rng = random.Random(50)
    pixels = []
    for y in range(TEXTURE_SIZE):
        for x in range(TEXTURE_SIZE):
            grain = rng.uniform(-14, 14) + 6 * math.sin(x * 0.7 + y * 0.3)
            pixels.append((int(236 + grain), int(206 + grain), int(120 + grain * 0.8)))
    for _ in range(60):
        cx, cy = rng.randrange(TEXTURE_SIZE), rng.randrange(TEXTURE_SIZE)
        for dy in range(-1, 2):
            for dx in range(-1, 2):
                if abs(dx) + abs(dy) < 2:
                    pixels[((cy + dy) % TEXTURE_SIZE) * TEXTURE_SIZE + (cx + dx) % TEXTURE_SIZE] = (
                        250, 244, 214)
    return pixels


class Mesh:
    def __init__(self):
        self.positions, self.normals, self.uvs, self.faces, self.materials = [], [], [], [], []

    def face(self, corners, material):
        """corners: (position, normal, uv), clockwise as seen from outside."""
        first = len(self.positions)
        for position, normal, uv in corners:
            self.positions.append(position)
            self.normals.append(normal)
            self.uvs.append(uv)
        self.faces.append(list(range(first, first + len(corners))))
        self.materials.append(material)


def rim(angle, y):
    # The wedge's tip points at -z, its rind faces +z; the middle of the wedge is at x = 0.
    a = angle - ANGLE / 2
    return (RADIUS * math.sin(a), y, RADIUS * math.cos(a) - RADIUS * 0.6)


def build():
    mesh = Mesh()
    top, bottom = HEIGHT / 2, -HEIGHT / 2
    tip_top, tip_bottom = (0.0, top, -RADIUS * 0.6), (0.0, bottom, -RADIUS * 0.6)
    angles = [ANGLE * i / RIND_STEPS for i in range(RIND_STEPS + 1)]
    crumb, rind = 1, 0

    def planar(p):
        return ((p[0] / RADIUS + 1) / 2, 1 - (p[2] + RADIUS * 0.6) / RADIUS)

    # Top: seen from above, clockwise runs from the tip along the rim by growing angle.
    up = (0.0, 1.0, 0.0)
    for i in range(RIND_STEPS):
        a, b = rim(angles[i], top), rim(angles[i + 1], top)
        mesh.face([(tip_top, up, planar(tip_top)), (a, up, planar(a)), (b, up, planar(b))], crumb)
    down = (0.0, -1.0, 0.0)
    for i in range(RIND_STEPS):
        a, b = rim(angles[i], bottom), rim(angles[i + 1], bottom)
        mesh.face([(tip_bottom, down, planar(tip_bottom)), (b, down, planar(b)),
                   (a, down, planar(a))], crumb)

    # The two cut faces, from the tip out to the rind.
    def cut(angle, flip):
        outer_top, outer_bottom = rim(angle, top), rim(angle, bottom)
        edge = (outer_top[0] - tip_top[0], 0.0, outer_top[2] - tip_top[2])
        normal = (edge[2], 0.0, -edge[0]) if flip else (-edge[2], 0.0, edge[0])
        length = math.hypot(normal[0], normal[2])
        normal = (normal[0] / length, 0.0, normal[2] / length)
        corners = [(tip_top, normal, (0, 0)), (outer_top, normal, (1, 0)),
                   (outer_bottom, normal, (1, 0.5)), (tip_bottom, normal, (0, 0.5))]
        # Seen from outside, the tip is on the right of the first cut and the left of the other.
        mesh.face(corners if flip else [corners[1], corners[0], corners[3], corners[2]], crumb)

    cut(angles[0], False)
    cut(angles[-1], True)

    # The rind, smooth round the curve.
    for i in range(RIND_STEPS):
        a0, a1 = angles[i], angles[i + 1]
        corners = []
        for angle, y in ((a1, top), (a0, top), (a0, bottom), (a1, bottom)):
            p = rim(angle, y)
            n = (math.sin(angle - ANGLE / 2), 0.0, math.cos(angle - ANGLE / 2))
            corners.append((p, n, (0, 0)))
        mesh.face(corners, rind)
    return mesh


def write_x(path, mesh):
    def vectors(items):
        lines = ["%.6f;%.6f;%.6f;" % v for v in items]
        return " %d;\n %s;\n" % (len(items), ",\n ".join(lines))

    def faces():
        lines = ["%d;%s;" % (len(f), ",".join(str(i) for i in f)) for f in mesh.faces]
        return " %d;\n %s;\n" % (len(mesh.faces), ",\n ".join(lines))

    uvs = ",\n ".join("%.6f;%.6f;" % uv for uv in mesh.uvs)
    with open(path, "w", newline="\r\n") as out:
        out.write("xof 0303txt 0032\n\n")
        out.write("// A wedge of parmesan: golden rind, straw-coloured crumb.\n")
        out.write("Mesh ParmWedge {\n" + vectors(mesh.positions) + faces())
        out.write(" MeshNormals {\n" + vectors(mesh.normals) + faces() + " }\n")
        out.write(" MeshTextureCoords {\n %d;\n %s;\n }\n" % (len(mesh.uvs), uvs))
        out.write(" MeshMaterialList {\n 2;\n %d;\n %s;\n" % (
            len(mesh.materials), ",\n ".join(str(m) for m in mesh.materials)))
        out.write("  Material Rind {\n   0.780;0.560;0.220;1.000;;\n   12.0;\n"
                  "   0.300;0.250;0.150;;\n   0.000;0.000;0.000;;\n  }\n")
        out.write("  Material Crumb {\n   1.000;1.000;1.000;1.000;;\n   4.0;\n"
                  "   0.100;0.100;0.100;;\n   0.000;0.000;0.000;;\n"
                  "   TextureFilename { \"textures\\parm_cut.png\"; }\n  }\n")
        out.write(" }\n}\n")


if __name__ == "__main__":
    os.makedirs("textures", exist_ok=True)
    write_png(os.path.join("textures", "parm_cut.png"), TEXTURE_SIZE, cheese_texture())
    write_x("parm_wedge.x", build())
