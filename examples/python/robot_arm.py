#!/usr/bin/env python3
"""Reads the robot arm the main job exports (out/robot_arm.xml), prints its
bodies, joints and masses, changes one body's mass and writes the model back.

    robot_arm.py [MODEL.xml] [--body NAME] [--mass VALUE] [--out OUT.xml]

By default the first body of the top subsystem gets twice its mass and the
model is written back over MODEL.xml. kaloimport must be importable:
PYTHONPATH=<install prefix>/lib/python3/dist-packages.
"""
import argparse
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


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("model", nargs="?", default=str(DEFAULT_MODEL))
    parser.add_argument("--body", help="name of the body to change (default: the top's first body)")
    parser.add_argument("--mass", type=float, help="its new mass, in its mass units (default: twice the old)")
    parser.add_argument("--out", help="where to write the model (default: back over MODEL)")
    args = parser.parse_args(argv)

    model, error = ki.ZoltModel.readFromXML(args.model, 0)
    if model is None:
        print(f"robot_arm.py: cannot read {args.model}: {error}", file=sys.stderr)
        return 1
    top = model.getTopSubsystem()
    print(f"Model {top.getName()!r} from {args.model}")
    print_model(top)

    everything = [b for _, s in subsystems(top) for b in bodies(s)]
    chosen = [b for b in everything if args.body in (None, b.getName())]
    if not chosen:
        print(f"robot_arm.py: no body named {args.body!r}", file=sys.stderr)
        return 1
    body = chosen[0]
    mass = args.mass if args.mass is not None else 2 * body.getMass()
    changed = with_mass(body, mass)
    new_top = replaced(top, body, changed)
    # The model's creation notes have no getters; the new model says where it came from.
    edited = ki.ZoltModel("kaloimport robot_arm.py", args.model, "", "", top.getName(), new_top)
    edited.setNodeID(model.getNodeID())
    out = args.out or args.model
    error = edited.writeToXML(out)
    if error:
        print(f"robot_arm.py: cannot write {out}: {error}", file=sys.stderr)
        return 1
    print(f"Mass of {body.getName()!r}: {body.getMassString()} -> {changed.getMassString()} {changed.getMassUnits()}")
    print(f"Wrote {out}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
