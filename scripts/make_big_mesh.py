#!/usr/bin/env python3
"""Writes a large skinned test mesh: an N-vertex OBJ grid and a scene description whose
Tessarin skin bends it with three bones, for checking how much memory loading and evaluating a
big OBJ mesh takes.

Usage: scripts/make_big_mesh.py VERTICES OUT_DIR [--as tri|poly|patch]
Writes OUT_DIR/grid.obj (a flat strip 20 long in x, quads, about VERTICES vertices: the grid is
columns × rows with columns × rows >= VERTICES) and OUT_DIR/scene.json, which names it.
"""
import argparse
import json
import math
import os


def write_grid(path, vertices):
    # A strip twenty times as long as it is wide, so that both bones cover a part of it.
    rows = max(2, int(math.sqrt(vertices / 20.0)))
    cols = max(2, -(-vertices // rows))
    with open(path, "w", buffering=1 << 20) as out:
        out.write(f"# {cols} x {rows} grid, {cols * rows} vertices\n")
        dx, dy = 20.0 / (cols - 1), 4.0 / (rows - 1)
        for r in range(rows):
            y = -2.0 + r * dy
            out.write("".join(f"v {c * dx:.6g} {y:.6g} 0\n" for c in range(cols)))
        for r in range(rows - 1):
            a = r * cols + 1  # OBJ indices start at 1
            b = a + cols
            out.write("".join(f"f {a + c} {a + c + 1} {b + c + 1} {b + c}\n" for c in range(cols - 1)))
    return cols * rows


def scene(kind):
    return {
        "format": "tessarin-scene",
        "version": 1,
        "frameRate": 30,
        "time": 0,
        "frames": [0, 1],
        "nodes": [
            {
                "name": "Grid",
                "object": {"type": "mesh", "file": "grid.obj", "as": kind},
                "modifiers": [{
                    "type": "Tessarin",
                    "bones": [
                        {"node": "Anchor", "falloff": 0.5, "strength": 0},
                        {"node": "Upper", "falloff": 1},
                        {"node": "Lower", "falloff": 1},
                    ],
                }],
            },
            {"name": "Anchor", "position": [-1, 0, 0], "object": {"type": "dummy", "size": 2}},
            {
                "name": "Upper",
                "object": {"type": "bone", "length": 10, "width": 2, "height": 2},
                "keys": [{"frame": 0, "rotation": [0, 0, 0]}, {"frame": 1, "rotation": [0, 0, 10]}],
            },
            {
                "name": "Lower",
                "parent": "Upper",
                "position": [10, 0, 0],
                "object": {"type": "bone", "length": 10},
                "keys": [{"frame": 0, "rotation": [0, 0, 0]}, {"frame": 1, "rotation": [0, 0, 45]}],
            },
        ],
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("vertices", type=int)
    parser.add_argument("out_dir")
    parser.add_argument("--as", dest="kind", choices=["tri", "poly", "patch"], default="tri")
    args = parser.parse_args()
    if args.vertices < 4:
        parser.error("at least 4 vertices")
    os.makedirs(args.out_dir, exist_ok=True)
    count = write_grid(os.path.join(args.out_dir, "grid.obj"), args.vertices)
    with open(os.path.join(args.out_dir, "scene.json"), "w") as out:
        json.dump(scene(args.kind), out, indent=2)
        out.write("\n")
    print(f"{count} vertices in {os.path.join(args.out_dir, 'grid.obj')}")


if __name__ == "__main__":
    main()
