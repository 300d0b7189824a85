#include <kalo_toolkit/body_ref.hpp>

#include <kalo_toolkit/body.hpp>

namespace kalo_toolkit {

BodyRef::BodyRef(const std::string& name, const boost::shared_ptr<Body>& body) : ZoltBase(name), body(body) {}

BodyRef::BodyRef(const std::string& name, const boost::shared_ptr<Body>& body, const double* rotation,
                 const double* translation, double scale)
    : ZoltBase(name), Transform(rotation, translation, scale), body(body) {}

BodyRef::~BodyRef() = default;

}  // namespace kalo_toolkit
