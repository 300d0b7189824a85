#pragma once

#include <boost/shared_ptr.hpp>

#include <kalo_toolkit/transform.hpp>
#include <kalo_toolkit/zolt_base.hpp>

namespace kalo_toolkit {

class Body;

/// A placed use of a body inside a subsystem.
class KALO_TOOLKIT_API BodyRef : public ZoltBase, public Transform {
 public:
  BodyRef(const std::string& name, const boost::shared_ptr<Body>& body);
  BodyRef(const std::string& name, const boost::shared_ptr<Body>& body, const double* rotation,
          const double* translation, double scale);
  ~BodyRef() override;

  const boost::shared_ptr<Body>& getBody() const { return body; }

 private:
  boost::shared_ptr<Body> body;
};

}  // namespace kalo_toolkit
