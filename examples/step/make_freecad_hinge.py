# Writes examples/step/freecad_hinge.step as FreeCAD 0.20 does (Debian package freecad-python3):
#   freecadcmd examples/step/make_freecad_hinge.py examples/step/freecad_hinge.step
# The same hinged arm the STEP tests build with OpenCASCADE (the README converts it): a block with a bore of radius 5 mm
# at (30, 30) and an arm whose pin sits in it, turned 30 degrees about the bore.
import sys

import FreeCAD as App
import Part
import Import

out = sys.argv[-1] if sys.argv[-1].endswith(".step") else "freecad_hinge.step"
doc = App.newDocument("Hinge")
base_shape = Part.makeBox(80, 60, 20).cut(Part.makeCylinder(5, 20, App.Vector(30, 30, 0), App.Vector(0, 0, 1)))
arm_shape = Part.makeBox(40, 20, 8, App.Vector(-10, -10, 0)).fuse(
    Part.makeCylinder(5, 20, App.Vector(0, 0, -20), App.Vector(0, 0, 1))).removeSplitter()
assembly = doc.addObject("App::Part", "Hinge")
base = doc.addObject("Part::Feature", "Base")
base.Shape = base_shape
arm = doc.addObject("Part::Feature", "Arm")
arm.Shape = arm_shape
arm.Placement = App.Placement(App.Vector(30, 30, 20), App.Rotation(App.Vector(0, 0, 1), 30))
assembly.addObject(base)
assembly.addObject(arm)
doc.recompute()
Import.export([assembly], out)
print("wrote", out)
