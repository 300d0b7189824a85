#include "mate_search.hpp"

#include <algorithm>
#include <cmath>
#include <map>

#include <BRepAlgoAPI_Common.hxx>
#include <BRepBndLib.hxx>
#include <BRepExtrema_DistShapeShape.hxx>
#include <BRepGProp.hxx>
#include <GProp_GProps.hxx>
#include <TopLoc_Location.hxx>
#include <TopTools_ListOfShape.hxx>
#include <TopoDS.hxx>

namespace kalo_step::detail {

namespace {

struct WorldPlane {
  gp_Pnt point;
  gp_Dir outward;
  TopoDS_Face face;
  Bnd_Box box;
};

struct WorldPart {
  std::vector<CylinderFace> cylinders;
  std::vector<WorldPlane> planes;
  std::vector<SphereFace> spheres;
  std::vector<OtherFace> others;
  std::vector<Bnd_Box> otherBoxes;
  TopoDS_Shape shape;
  bool ready = false;
};

class Search {
 public:
  Search(const std::vector<PlacedPart>& parts, const MateTolerances& tol)
      : parts_(parts), tol_(tol), world_(parts.size()) {}

  std::vector<PartPair> run() {
    const size_t n = parts_.size();
    std::vector<Bnd_Box> boxes(n);
    std::vector<size_t> order;
    for (size_t i = 0; i < n; ++i) {
      if (!parts_[i].geometry || parts_[i].geometry->box.IsVoid()) continue;
      boxes[i] = parts_[i].geometry->box.Transformed(parts_[i].world);
      boxes[i].Enlarge(tol_.clearance + tol_.distance);
      order.push_back(i);
    }
    const auto xmin = [&](size_t i) {
      Standard_Real x0, y0, z0, x1, y1, z1;
      boxes[i].Get(x0, y0, z0, x1, y1, z1);
      return x0;
    };
    const auto xmax = [&](size_t i) {
      Standard_Real x0, y0, z0, x1, y1, z1;
      boxes[i].Get(x0, y0, z0, x1, y1, z1);
      return x1;
    };
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return xmin(a) < xmin(b); });
    std::vector<PartPair> pairs;
    std::vector<size_t> active;
    for (size_t i : order) {
      const double x = xmin(i);
      active.erase(std::remove_if(active.begin(), active.end(), [&](size_t a) { return xmax(a) < x; }),
                   active.end());
      for (size_t a : active) {
        if (boxes[a].IsOut(boxes[i])) continue;
        PartPair pair = matePair(std::min(a, i), std::max(a, i));
        if (!pair.mates.empty() || !pair.touching.empty()) pairs.push_back(std::move(pair));
      }
      active.push_back(i);
    }
    std::sort(pairs.begin(), pairs.end(), [](const PartPair& a, const PartPair& b) {
      return a.first != b.first ? a.first < b.first : a.second < b.second;
    });
    return pairs;
  }

 private:
  const WorldPart& world(size_t i) {
    WorldPart& w = world_[i];
    if (w.ready) return w;
    const gp_Trsf& t = parts_[i].world;
    const PartGeometry& g = *parts_[i].geometry;
    const TopLoc_Location place(t);
    for (CylinderFace c : g.cylinders) {
      c.origin.Transform(t);
      c.axis.Transform(t);
      c.radius *= std::fabs(t.ScaleFactor());
      c.t0 *= std::fabs(t.ScaleFactor());
      c.t1 *= std::fabs(t.ScaleFactor());
      w.cylinders.push_back(c);
    }
    for (const PlaneFace& p : g.planes) {
      WorldPlane wp{p.point.Transformed(t), p.outward.Transformed(t), TopoDS::Face(p.face.Moved(place)), {}};
      BRepBndLib::Add(wp.face, wp.box, Standard_False);
      wp.box.Enlarge(tol_.distance);
      w.planes.push_back(wp);
    }
    for (SphereFace s : g.spheres) {
      s.centre.Transform(t);
      s.radius *= std::fabs(t.ScaleFactor());
      w.spheres.push_back(s);
    }
    for (const OtherFace& o : g.others) {
      w.others.push_back(OtherFace{o.kind, TopoDS::Face(o.face.Moved(place))});
      Bnd_Box box;
      BRepBndLib::Add(w.others.back().face, box, Standard_False);
      box.Enlarge(tol_.distance);
      w.otherBoxes.push_back(box);
    }
    w.shape = g.shape.Moved(place);
    w.ready = true;
    return w;
  }

  bool parallel(const gp_Dir& a, const gp_Dir& b) const {
    return gp_Vec(a).Crossed(gp_Vec(b)).Magnitude() < tol_.angle;
  }
  double lineDistance(const gp_Pnt& origin, const gp_Dir& axis, const gp_Pnt& p) const {
    return gp_Vec(origin, p).Crossed(gp_Vec(axis)).Magnitude();
  }

  void axisMates(const WorldPart& a, const WorldPart& b, std::vector<Mate>& mates) {
    for (const CylinderFace& ca : a.cylinders)
      for (const CylinderFace& cb : b.cylinders) {
        if (ca.hole == cb.hole || !parallel(ca.axis, cb.axis)) continue;
        if (lineDistance(ca.origin, ca.axis, cb.origin) > tol_.distance) continue;
        const CylinderFace& bore = ca.hole ? ca : cb;
        const CylinderFace& shaft = ca.hole ? cb : ca;
        const double gap = bore.radius - shaft.radius;
        if (gap < -tol_.distance || gap > tol_.clearance + tol_.distance) continue;
        // Overlap along a's axis.
        const double s = gp_Vec(ca.origin, cb.origin).Dot(gp_Vec(ca.axis));
        const double sign = gp_Vec(cb.axis).Dot(gp_Vec(ca.axis)) > 0 ? 1.0 : -1.0;
        const double b0 = s + sign * cb.t0, b1 = s + sign * cb.t1;
        const double lo = std::max(ca.t0, std::min(b0, b1)), hi = std::min(ca.t1, std::max(b0, b1));
        if (hi - lo <= tol_.distance) continue;
        Mate m;
        m.kind = MateKind::Axis;
        m.point = ca.origin.Translated(gp_Vec(ca.axis) * ((lo + hi) / 2));
        m.direction = ca.axis;
        m.diameter = 2 * shaft.radius;
        m.area = (hi - lo) * shaft.radius * std::min(ca.span, cb.span);
        merge(mates, m);
      }
  }

  void faceMates(const WorldPart& a, const WorldPart& b, std::vector<Mate>& mates) {
    for (const WorldPlane& pa : a.planes)
      for (const WorldPlane& pb : b.planes) {
        if (gp_Vec(pa.outward).Added(gp_Vec(pb.outward)).Magnitude() >= tol_.angle) continue;
        if (std::fabs(gp_Vec(pa.point, pb.point).Dot(gp_Vec(pa.outward))) > tol_.distance) continue;
        if (pa.box.IsOut(pb.box)) continue;
        double area = 0;
        gp_Pnt centre;
        if (!overlap(pa, pb, area, centre)) continue;
        Mate m;
        m.kind = MateKind::Face;
        m.point = centre;
        m.direction = pa.outward;
        m.area = area;
        merge(mates, m);
      }
  }

  // Area and centre of the region where two coplanar faces overlap.
  bool overlap(const WorldPlane& pa, const WorldPlane& pb, double& area, gp_Pnt& centre) const {
    BRepAlgoAPI_Common common;
    TopTools_ListOfShape args, tools;
    args.Append(pa.face);
    tools.Append(pb.face);
    common.SetArguments(args);
    common.SetTools(tools);
    common.SetFuzzyValue(tol_.distance);
    common.SetRunParallel(Standard_False);
    common.Build();
    if (!common.IsDone() || common.HasErrors()) return false;
    GProp_GProps props;
    BRepGProp::SurfaceProperties(common.Shape(), props);
    area = props.Mass();
    if (!(area > tol_.distance * tol_.distance)) return false;
    centre = props.CentreOfMass();
    return true;
  }

  void ballMates(const WorldPart& a, const WorldPart& b, std::vector<Mate>& mates) {
    for (const SphereFace& sa : a.spheres)
      for (const SphereFace& sb : b.spheres) {
        if (sa.hole == sb.hole || sa.centre.Distance(sb.centre) > tol_.distance) continue;
        const double gap = (sa.hole ? sa.radius - sb.radius : sb.radius - sa.radius);
        if (gap < -tol_.distance || gap > tol_.clearance + tol_.distance) continue;
        Mate m;
        m.kind = MateKind::Ball;
        m.point = sa.centre;
        m.direction = gp_Dir(0, 0, 1);
        m.diameter = 2 * std::min(sa.radius, sb.radius);
        merge(mates, m);
      }
  }

  // One mate per axis, plane or centre: faces split by the modeller meet again here.
  void merge(std::vector<Mate>& mates, const Mate& m) const {
    for (Mate& e : mates) {
      if (e.kind != m.kind) continue;
      bool same = false;
      if (m.kind == MateKind::Axis)
        same = parallel(e.direction, m.direction) &&
               lineDistance(e.point, e.direction, m.point) <= tol_.distance;
      else if (m.kind == MateKind::Face)
        same = parallel(e.direction, m.direction) &&
               std::fabs(gp_Vec(e.point, m.point).Dot(gp_Vec(e.direction))) <= tol_.distance;
      else
        same = e.point.Distance(m.point) <= tol_.distance;
      if (!same) continue;
      if (m.kind == MateKind::Face && e.area + m.area > 0) {
        const double wa = e.area / (e.area + m.area), wb = 1 - wa;
        e.point = gp_Pnt(e.point.XYZ() * wa + m.point.XYZ() * wb);
      }
      e.area += m.area;
      e.diameter = std::max(e.diameter, m.diameter);
      return;
    }
    mates.push_back(m);
  }

  void touchingOthers(const WorldPart& a, const WorldPart& b, std::vector<std::string>& kinds) {
    Bnd_Box boxB;
    BRepBndLib::Add(b.shape, boxB, Standard_False);
    for (size_t i = 0; i < a.others.size(); ++i) {
      if (a.otherBoxes[i].IsOut(boxB)) continue;
      if (std::find(kinds.begin(), kinds.end(), a.others[i].kind) != kinds.end()) continue;
      BRepExtrema_DistShapeShape distance(a.others[i].face, b.shape);
      if (distance.IsDone() && distance.Value() <= tol_.distance) kinds.push_back(a.others[i].kind);
    }
  }

  PartPair matePair(size_t i, size_t j) {
    const WorldPart& a = world(i);
    const WorldPart& b = world(j);
    PartPair pair;
    pair.first = i;
    pair.second = j;
    axisMates(a, b, pair.mates);
    faceMates(a, b, pair.mates);
    ballMates(a, b, pair.mates);
    touchingOthers(a, b, pair.touching);
    touchingOthers(b, a, pair.touching);
    std::sort(pair.touching.begin(), pair.touching.end());
    pair.touching.erase(std::unique(pair.touching.begin(), pair.touching.end()), pair.touching.end());
    return pair;
  }

  const std::vector<PlacedPart>& parts_;
  MateTolerances tol_;
  std::vector<WorldPart> world_;
};

}  // namespace

std::vector<PartPair> findMates(const std::vector<PlacedPart>& parts, const MateTolerances& tolerances) {
  return Search(parts, tolerances).run();
}

}  // namespace kalo_step::detail
