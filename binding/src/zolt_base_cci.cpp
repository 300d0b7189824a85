// "kaloimport.ZoltBase": names, node IDs and the parent link of every model object.

#include "method_support.hpp"

namespace kalo_toolkit_qli {
namespace {

using kalo_toolkit::ZoltBase;

class ZoltBaseZoltBaseCMI0 final : public KalomCMI {
 public:
  ZoltBaseZoltBaseCMI0() : KalomCMI("ZoltBase", {{kText, "name"}}, {kZoltBase}) {}
  void invoke(MethodCall& c) const override { c.construct(boost::make_shared<ZoltBase>(c.text(0))); }
};

class ZoltBaseIsEmptyCMI0 final : public KalomCMI {
 public:
  ZoltBaseIsEmptyCMI0() : KalomCMI("isEmpty", {kZoltBase}, {kInt32}) {}
  void invoke(MethodCall& c) const override { c.setInt32(0, c.holder(0) ? 0 : 1); }
};

class ZoltBaseZoltBaseCMI1 final : public KalomCMI {
 public:
  ZoltBaseZoltBaseCMI1() : KalomCMI("ZoltBase", {}, {kZoltBase}) {}
  void invoke(MethodCall& c) const override { c.construct(boost::make_shared<ZoltBase>(std::string())); }
};

class ZoltBaseSetNameCMI0 final : public KalomCMI {
 public:
  ZoltBaseSetNameCMI0() : KalomCMI("setName", {kZoltBase, {kText, "name"}}, {}) {}
  void invoke(MethodCall& c) const override { c.object<ZoltBase>(0)->setName(c.text(1)); }
};

class ZoltBaseGetNameCMI0 final : public KalomCMI {
 public:
  ZoltBaseGetNameCMI0() : KalomCMI("getName", {kZoltBase}, {kText}) {}
  void invoke(MethodCall& c) const override { c.setText(0, c.object<ZoltBase>(0)->getName()); }
};

class ZoltBaseSetNodeIDCMI0 final : public KalomCMI {
 public:
  ZoltBaseSetNodeIDCMI0() : KalomCMI("setNodeID", {kZoltBase, {kText, "node_id"}}, {}) {}
  void invoke(MethodCall& c) const override { c.object<ZoltBase>(0)->setNodeID(c.text(1)); }
};

class ZoltBaseGetNodeIDCMI0 final : public KalomCMI {
 public:
  ZoltBaseGetNodeIDCMI0() : KalomCMI("getNodeID", {kZoltBase}, {kText}) {}
  void invoke(MethodCall& c) const override { c.setText(0, c.object<ZoltBase>(0)->getNodeID()); }
};

class ZoltBaseSetParentCMI0 final : public KalomCMI {
 public:
  ZoltBaseSetParentCMI0() : KalomCMI("setParent", {kZoltBase, {kZoltBase, "parent"}}, {}) {}
  void invoke(MethodCall& c) const override {
    // An empty parent clears the link.
    c.object<ZoltBase>(0)->setParent(c.objectOrEmpty<ZoltBase>(1));
  }
};

class ZoltBaseGetParentCMI0 final : public KalomCMI {
 public:
  ZoltBaseGetParentCMI0() : KalomCMI("getParent", {kZoltBase}, {kZoltBase}) {}
  void invoke(MethodCall& c) const override { c.setObject(0, c.object<ZoltBase>(0)->getParent()); }
};

class ZoltBaseCCI final : public KalomCCI {
 public:
  ZoltBaseCCI() : KalomCCI("ZoltBase") {
    add(new ZoltBaseZoltBaseCMI0());
    add(new ZoltBaseIsEmptyCMI0());
    add(new ZoltBaseZoltBaseCMI1());
    add(new ZoltBaseSetNameCMI0());
    add(new ZoltBaseGetNameCMI0());
    add(new ZoltBaseSetNodeIDCMI0());
    add(new ZoltBaseGetNodeIDCMI0());
    add(new ZoltBaseSetParentCMI0());
    add(new ZoltBaseGetParentCMI0());
  }
};

}  // namespace

KalomCCI* create_zoltbasecci() { return new ZoltBaseCCI(); }

}  // namespace kalo_toolkit_qli
