#!/usr/bin/env python3
"""Reads a multibody XML file (by default the robot arm the main job exports,
out/robot_arm.xml), prints its bodies, joints and masses, gives one body
another mass and writes the changed model to a new file.

    robot_arm.py [MODEL.xml] [--body NAME] [--mass VALUE] [--out OUT.xml]

By default the first body that has a mass gets twice its mass and the model is
written beside MODEL.xml as MODEL_heavier.xml; MODEL.xml itself is never
written over. kaloimport must be importable:
PYTHONPATH=<install prefix>/lib/python3/dist-packages.
"""
import argparse
import os
import pathlib
import sys

import kaloimport as ki

DEFAULT_MODEL = pathlib.Path(__file__).resolve().parents[2] / "out" / "robot_arm.xml"


def subsystems(top, path=""):
    """(path, subsystem) for the top and every subsystem below it."""
    here = f"{path}/{top.getName()}"
    yield here, top
    for i in range(top.getSubsystemRefCount()):
        yield from subsystems(top.getSubsystemRefAt(i).getSubsystem(), here)


def bodies(subsystem):
    return [subsystem.getBodyRefAt(i).getBody() for i in range(subsystem.getBodyRefCount())]


def print_model(top):
    print("Bodies:")
    for path, subsystem in subsystems(top):
        for body in bodies(subsystem):
            print(f"  {path}/{body.getName():<14} {body.getMassString():>8} {body.getMassUnits()}")
    print("Joints:")
    for path, subsystem in subsystems(top):
        for i in range(subsystem.getJointCount()):
            joint = subsystem.getJointAt(i)
            primitives = [joint.getPrimitiveAt(k).getType() for k in range(joint.getPrimitiveCount())]
            print(f"  {path}/{joint.getName():<22} {joint.getType():<18} {' '.join(primitives)}")


def copy_origin_and_cg(source, copy):
    """Bodies and subsystems both have an origin and a centre-of-gravity frame."""
    if source.getOriginFrame() is not None:
        copy.setOriginFrame(source.getOriginFrame())
    if source.getCGFrame() is not None:
        copy.setCGFrame(source.getCGFrame())


def with_mass(body, mass):
    """A copy of the body with another mass. The package has no mass setter;
    the copy shares the body's frames, so the joints stay connected to it. Its
    visual material cannot be set through the package and is not copied."""
    copy = ki.Body(body.getName(), mass, body.getMassUnits(), body.getInertia(), body.getInertiaUnits(),
                   body.getVolume(), body.getVolumeUnits(), body.getSArea(), body.getSAreaUnits(),
                   body.getFileName())
    copy.setNodeID(body.getNodeID())
    for i in range(body.getLinkCount()):
        copy.addLink(body.getLinkAt(i))
    copy_origin_and_cg(body, copy)
    return copy


def replaced(subsystem, old, new):
    """The subsystem made again with body `old` replaced by `new` (nothing can
    be taken out of a subsystem); None when `old` is not below it."""
    inside = [subsystem.getSubsystemRefAt(i) for i in range(subsystem.getSubsystemRefCount())]
    below = [replaced(ref.getSubsystem(), old, new) for ref in inside]
    if old not in bodies(subsystem) and all(b is None for b in below):
        return None
    copy = ki.Subsystem(subsystem.getName())
    copy.setNodeID(subsystem.getNodeID())
    for i in range(subsystem.getBodyRefCount()):
        ref = subsystem.getBodyRefAt(i)
        if ref.getBody() == old:
            moved = ki.BodyRef(ref.getName(), new)
            moved.setNodeID(ref.getNodeID())
            ref = moved
        copy.addBodyRef(ref)
    for ref, changed in zip(inside, below):
        if changed is not None:
            placed = ki.SubsystemRef(ref.getName(), changed)
            placed.setNodeID(ref.getNodeID())
            ref = placed
        copy.addSubsystemRef(ref)
    for i in range(subsystem.getPortCount()):
        copy.addPort(subsystem.getPortAt(i))
    for i in range(subsystem.getGroundCount()):
        copy.addGround(subsystem.getGroundAt(i))
    for i in range(subsystem.getJointCount()):
        copy.addJoint(subsystem.getJointAt(i))
    copy_origin_and_cg(subsystem, copy)
    return copy


def default_output(model):
    path = pathlib.Path(model)
    return str(path.with_name(path.stem + "_heavier" + (path.suffix or ".xml")))


def same_file(a, b):
    try:
        return os.path.samefile(a, b)
    except OSError:
        return os.path.abspath(a) == os.path.abspath(b)


def main(argv):
    parser = argparse.ArgumentParser(
        description="Prints a multibody model's bodies (path, mass, unit) and joints (path, type, primitives), "
                    "gives one body another mass and writes the changed model to a new multibody XML file.",
        epilog="The package has no mass setter: the body is replaced by a copy with the new mass (sharing its "
               "frames, so its joints stay connected; its visual material is not copied) and the subsystems "
               "above it are rebuilt. Exit status: 0 written, 1 the model cannot be read or written or has no "
               "such body, 2 bad arguments (also an output that is MODEL itself).")
    parser.add_argument("model", nargs="?", default=str(DEFAULT_MODEL), metavar="MODEL.xml",
                        help="the multibody XML file to read (default: %(default)s, written by the main job "
                             "./scripts/run-example.sh)")
    parser.add_argument("--body", metavar="NAME",
                        help="name of the body to change (default: the first body, top subsystem first, "
                             "whose mass is not zero)")
    parser.add_argument("--mass", type=float, metavar="VALUE",
                        help="its new mass, in the body's own mass unit (default: twice its mass)")
    parser.add_argument("--out", metavar="OUT.xml",
                        help="where to write the changed model (default: MODEL_heavier.xml beside MODEL); "
                             "MODEL itself is refused")
    args = parser.parse_args(argv)
    out = args.out or default_output(args.model)
    if same_file(out, args.model):
        parser.error(f"--out {out} is MODEL itself: name a new file")

    try:
        model = ki.read(args.model)
    except (OSError, ki.ReadError) as error:
        print(f"robot_arm.py: cannot read {args.model}: {error}", file=sys.stderr)
        return 1
    top = model.getTopSubsystem()
    print(f"Model {top.getName()!r} from {args.model}")
    print_model(top)

    everything = [b for _, s in subsystems(top) for b in bodies(s)]
    if args.body is None:
        chosen = [b for b in everything if b.getMass() != 0]
    else:
        chosen = [b for b in everything if b.getName() == args.body]
    if not chosen:
        print(f"robot_arm.py: no body named {args.body!r}" if args.body else "robot_arm.py: no body has a mass",
              file=sys.stderr)
        return 1
    body = chosen[0]
    mass = args.mass if args.mass is not None else 2 * body.getMass()
    changed = with_mass(body, mass)
    new_top = replaced(top, body, changed)
    # The model's creation notes have no getters; the new model says where it came from.
    edited = ki.ZoltModel("kaloimport robot_arm.py", str(args.model), "", "", top.getName(), new_top)
    edited.setNodeID(model.getNodeID())
    try:
        edited.write(out)
    except (OSError, ki.WriteError) as error:
        print(f"robot_arm.py: cannot write {out}: {error}", file=sys.stderr)
        return 1
    print(f"Mass of {body.getName()!r}: {body.getMassString()} -> {changed.getMassString()} {changed.getMassUnits()}")
    print(f"Wrote {out}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
