#include "export_options.hpp"

#include <kalo_toolkit/sim_options.hpp>

namespace kalo_export {

bool parseExportCommand(const std::vector<std::string>& args, ExportCommand& command, std::string& error) {
  std::vector<std::string> files;
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
      files.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    if (arg == "-h" || arg == "--help") {
      command.help = true;
      return true;
    }
    std::string name = arg, value;
    bool hasValue = false;
    const size_t equals = arg.find('=');
    if (equals != std::string::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
      hasValue = true;
    }
    using kalo_toolkit::sim::OptionKind;
    const kalo_toolkit::sim::ExportOption* entry =
        name.size() > 2 ? kalo_toolkit::sim::findExportOption(name.substr(2)) : nullptr;
    if (name != "--to" && name != "--report-json" && (!entry || name.find('_') != std::string::npos)) {
      error = "unknown option '" + arg + "'";
      return false;
    }
    if (!hasValue && !(entry && entry->kind == OptionKind::Flag)) {
      if (i + 1 >= args.size()) {
        error = name + " needs a value";
        return false;
      }
      value = args[++i];
    }
    if (name == "--to") {
      if (!kalo_toolkit::sim::formatFromName(value, &command.options.format)) {
        error = "--to takes mjcf, sdf or urdf, not '" + value + "'";
        return false;
      }
      command.formatGiven = true;
    } else if (name == "--report-json") {
      if (value.empty()) {
        error = "--report-json needs a file name";
        return false;
      }
      command.reportJson = value;
    } else if (!kalo_toolkit::sim::setExportOption(&command.options, name.substr(2), value, &error)) {
      return false;
    }
  }
  if (!command.formatGiven) {
    error = "--to mjcf|sdf|urdf is required";
    return false;
  }
  if (files.size() != 2) {
    error = files.size() < 2 ? "MODEL.xml and OUT are both required" : "only MODEL.xml and OUT may be given";
    return false;
  }
  command.model = files[0];
  command.output = files[1];
  return true;
}

std::string exportUsage() {
  return "Usage: kalo-export --to mjcf|sdf|urdf [options] MODEL.xml OUT\n"
         "\n"
         "Writes a kalo multibody XML file as a simulator model: MJCF (MuJoCo 2.2 and\n"
         "later), SDFormat 1.9 or URDF. Every lossy or corrected step is printed as one\n"
         "report line naming the body or joint.\n"
         "\n"
         "Options:\n"
         "  --to FORMAT           mjcf, sdf or urdf (required)\n"
         "  --report-json FILE    also write the result and report lines as JSON\n" +
         kalo_toolkit::sim::exportOptionsUsage() +
         "  -h, --help            print this help and exit\n"
         "  --version             print the version and exit\n"
         "\n"
         "Conventions:\n"
         "  Units      everything in SI: kg, m, kg*m^2, rad, from each body's and\n"
         "             frame's own units.\n"
         "  Links      a link frame has the world axes and sits at the joint the body\n"
         "             hangs by. The inertia tensor is taken about the centre of mass\n"
         "             in the axes of the body's frame \"CG\" (its first frame when it\n"
         "             has none, reported) and rotated into the link frame (MJCF\n"
         "             fullinertia; SDF/URDF inertial without rotation).\n"
         "  Mass       a body moved by its own joint with zero mass or a non-physical\n"
         "             tensor (not positive, triangle inequality broken) gets the\n"
         "             smallest bound the simulators accept (1e-9 kg, principal moments\n"
         "             1e-12 kg*m^2), reported; it never stops the export.\n"
         "  Floating   a group of bodies that no chain of joints ties to the ground\n"
         "             floats: a free joint (URDF floating; SDF a link without joint)\n"
         "             on its heaviest body (the first in model order among equals),\n"
         "             the rest hung from it in joint order; a group without mass is\n"
         "             fixed where it stands, and --fixed-base fixes every group,\n"
         "             reported. A six-DOF joint between floating bodies constrains\n"
         "             nothing and is left out, reported.\n"
         "  Joints     each primitive becomes a joint at the follower frame: prismatic\n"
         "             slide, revolute hinge (URDF continuous), spherical ball (URDF:\n"
         "             three hinges). Six freedoms become a free joint (URDF floating)\n"
         "             relative to the world or a body fixed to it, else three slides\n"
         "             and a ball. Welds are rigid attachments. A joint with several\n"
         "             primitives hangs its body through light links in SDF and URDF,\n"
         "             and a massless connector through a light body in every format\n"
         "             (1e-9 kg, reported).\n"
         "  Loops      the tree is spanned from the ground in joint order; each loop\n"
         "             is cut at a joint its closure can keep exactly: a spherical,\n"
         "             else a revolute, else a weld joint. The cut joint is an\n"
         "             equality in MJCF (spherical: a connect at its point; revolute:\n"
         "             two connects 0.1 m apart on its axis; weld: a weld), stays a\n"
         "             joint in SDF and is dropped in URDF, reported. A loop with\n"
         "             none of these is cut at a joint MJCF cannot keep, reported.\n"
         "  Meshes     MJCF refers only to STL, OBJ and MSH files that open (relative\n"
         "             to OUT's folder): any other is left out, reported, so the\n"
         "             model loads; --keep-missing-meshes writes them anyway. SDF\n"
         "             and URDF keep every mesh and report those not STL, DAE or\n"
         "             OBJ or not found.\n"
         "  Depth      MuJoCo reads bodies nested at most 96 deep; a deeper chain\n"
         "             is reported (it will not load).\n"
         "  Names      subsystem path and name joined by '.', with characters other\n"
         "             than letters, digits, '_', '-' and '.' replaced by '_', made\n"
         "             unique with _2, _3, ...; SDF nests one <model> per subsystem.\n"
         "  Limits     from the settings file (MJCF limited range, SDF <limit>, URDF\n"
         "             revolute instead of continuous). Where URDF demands a limit and\n"
         "             none is set: -1000 .. 1000 m, effort 1e6, velocity 1e6, reported.\n"
         "  Control    every hinge and slide of the tree gets an actuator (--actuators;\n"
         "             in a closed loop only the joint nearest the ground). Position\n"
         "             servos: kp = I w^2, kd = 2 z sqrt(kp I) as the joint's damping,\n"
         "             I the reflected inertia of all the joint moves at the home\n"
         "             pose; velocity servos kv = I w. w (--bandwidth) is by default\n"
         "             the least that keeps every servo's gravity sag (load / kp) at\n"
         "             the home pose within 0.01 rad or 1 mm, at least 20 rad/s; the\n"
         "             time step is made small enough that w times it stays below\n"
         "             0.2. Every value is reported. MJCF also gets a keyframe \"home\"\n"
         "             (the CAD pose with the settings' home values, ctrl holding it).\n"
         "  Contact    --collision mesh (default: the parts' own shapes where their\n"
         "             meshes can be read, else equivalent-inertia boxes, so every body\n"
         "             with mass collides). Every pair of bodies joined by a joint or\n"
         "             touching at the home pose is excluded (MJCF <contact>), so the\n"
         "             model starts with no contact. SDF and URDF get <collision>.\n"
         "  Colours    the body's material colour, alpha = 1 - transparency.\n"
         "  Numbers    15 significant digits, in their shortest form.\n"
         "  Output     byte-identical for the same input; written whole or not at all.\n"
         "  Verify     --verify loads OUT in MuJoCo and checks, one report line each:\n"
         "             it compiles without error or warning; its freedoms are the\n"
         "             model's tree freedoms plus 6 per floating group; each body's\n"
         "             mass and centre of mass at rest and the total mass are the\n"
         "             model's; every loop closes at rest within 1e-9 m; the loops'\n"
         "             mobility (freedoms less the rank of the equality constraints)\n"
         "             is the model's.\n"
         "\n"
         "Files: OUT named for another format than --to is refused (.mjcf, .sdf and\n"
         ".urdf name theirs, .html a page; .xml or any other name is taken). OUT or\n"
         "the JSON report that is MODEL.xml, also through a link, is refused; a\n"
         "directory as OUT fails with \"is a directory\". A CAD XML file or a simulator\n"
         "file given as MODEL.xml is refused with a hint naming the tool that reads it.\n"
         "\n"
         "Settings file (--joints or --settings; JSON, // and /* */ comments allowed):\n"
         "  {\"joints\": {\"NAME or PATTERN\": {\"range\": [lower, upper], \"effort\": N,\n"
         "     \"velocity\": V, \"actuator\": \"position|velocity|motor|none\", \"kp\": K,\n"
         "     \"kd\": D, \"armature\": A, \"frictionloss\": F, \"home\": Q}}}\n"
         "  NAME is a joint name as the export writes it (or one freedom's name);\n"
         "  PATTERN has * (any run) and ? (one character). Patterns apply in file\n"
         "  order, exact names last. Units SI (rad or m). The keys ground, pairs,\n"
         "  fasteners, density, mass and tolerances belong to STEP import and are\n"
         "  ignored here; any other key, an unknown joint, a wrong type or an empty\n"
         "  range is an error naming the key and its line (exit 2, nothing written).\n"
         "\n"
         "Exit status: 0 written, 1 the model could not be read or OUT not written,\n"
         "2 bad command line, settings that do not fit the model or an output that would\n"
         "overwrite the input, 3 OUT written but a --verify check failed.\n";
}

}  // namespace kalo_export
