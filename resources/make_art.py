#!/usr/bin/python3
"""Draws every picture and the icon of Skittera and writes them into resources/.

The drawings are the package art/ beside this script. The build uses the committed files and never runs
this script: run it after changing a drawing and commit what it writes.

    /usr/bin/python3 resources/make_art.py            # rewrite resources/
    /usr/bin/python3 resources/make_art.py --out DIR  # write elsewhere (the tests compare with resources/)
"""

import argparse
import os
import sys

# The package's compiled files would land in the source tree, beside the pictures.
sys.dont_write_bytecode = True

import art  # noqa: E402 (after the setting above)

HERE = os.path.dirname(os.path.abspath(__file__))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=HERE, help="folder to write into (default: resources/)")
    parser.add_argument(
        "--toolchain",
        action="store_true",
        help="only say whether this Pillow and FreeType are the ones the committed art was made with "
        "(exit 0 if so, 1 if not)",
    )
    args = parser.parse_args()
    if args.toolchain:
        here = art.toolchain()
        print("this machine: %s; committed art: %s" % (here, art.TOOLCHAIN))
        return 0 if here == art.TOOLCHAIN else 1
    os.makedirs(args.out, exist_ok=True)
    for name, data in sorted(art.all_pictures().items()):
        with open(os.path.join(args.out, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
