#include <functional>
#include <string>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/util/XMLException.hpp>

#include <kalo_toolkit/compact_document.hpp>
#include <kalo_toolkit/enum_text.hpp>
#include <kalo_toolkit/mechanism_simplifier.hpp>
#include <kalo_toolkit/number_text.hpp>
#include <kalo_toolkit/subsystem.hpp>
#include <kalo_toolkit/text_encoding.hpp>
#include <kalo_toolkit/xml_file_writer.hpp>
#include <kalo_toolkit/xml_helpers.hpp>
#include <kalo_toolkit/xml_session.hpp>
#include <kalo_toolkit/zolt_model.hpp>
#include <kalo_toolkit/zolt_read_helper.hpp>

#include "multibody_xml_elements.hpp"
#include "zolt_model_file_paths.hpp"

XERCES_CPP_NAMESPACE_USE

namespace kalo_toolkit {

namespace detail {

template <typename E>
boost::shared_ptr<ZoltModel> readDocument(const E& root, std::string& failure) {
  ZoltReadHelper context;
  context.formatVersion = mbxml::childText(root, "formatVersion");
  if (context.formatVersion.empty()) {
    failure = "Missing format version.";
    return boost::shared_ptr<ZoltModel>();
  }
  const std::string internal = mbxml::childText(root, "internalVersion");
  if (!internal.empty() && !util::from_string(context.internalVersion, internal)) {
    failure = "Error reading internal version of file.";
    return boost::shared_ptr<ZoltModel>();
  }
  boost::shared_ptr<ZoltModel> model = mbxml::readModel(root, context);
  if (!model) {
    failure = "No model in file.";
    return model;
  }
  context.resolveFrameRefs();
  return model;
}
template boost::shared_ptr<ZoltModel> readDocument(const mbxml::DomElement&, std::string&);
template boost::shared_ptr<ZoltModel> readDocument(const util::CompactElement&, std::string&);

boost::shared_ptr<ZoltModel> guardedRead(const std::function<boost::shared_ptr<ZoltModel>()>& read,
                                         std::string& failure, std::string* reason) {
  try {
    return read();
  } catch (const mbxml::ReadError& e) {
    failure = e.what();
    if (reason != nullptr && e.line != 0)
      *reason = "line " + std::to_string(e.line) + ", column " + std::to_string(e.column) + ": " + failure;
  } catch (const std::exception& e) {
    failure = e.what();
  } catch (const std::string& text) {
    failure = text;
  } catch (const XMLException& e) {
    failure = util::toBytes(e.getMessage());
  } catch (const DOMException& e) {
    failure = util::toBytes(e.getMessage());
  } catch (...) {
    failure = "Unspecified XML exception";
  }
  return boost::shared_ptr<ZoltModel>();
}

boost::shared_ptr<ZoltModel> readStreaming(const std::string& path, std::string& failure,
                                           std::string* reason) {
  std::string why;
  boost::shared_ptr<ZoltModel> model = guardedRead(
      [&] {
        util::CompactDocument doc;
        if (!doc.parseFile(path, failure, &why)) return boost::shared_ptr<ZoltModel>();
        return readDocument(util::CompactElement(&doc, 0), failure);
      },
      failure, &why);
  if (!model && reason != nullptr) *reason = why.empty() ? failure : why;
  return model;
}

}  // namespace detail

int ZoltModel::writeToXML(const std::string& path) const {
  const bool written = util::writeXmlFile(path, [this](util::XmlSink& sink) {
    sink.startElement("OmbraXMLFile");
    mbxml::writeModelContent(*this, sink);
    sink.endElement();
  });
  return written ? KALOT_SUCCESS : KALOT_XML_READ_ERROR;
}

boost::shared_ptr<ZoltModel> ZoltModel::readFromXML(KalotError* error, const std::string& path,
                                                    MechanismSimplifier::Option option) {
  return readFromXML(error, path, option, nullptr);
}

boost::shared_ptr<ZoltModel> ZoltModel::readFromXML(KalotError* error, const std::string& path,
                                                    MechanismSimplifier::Option option, std::string* reason) {
  KalotError ignored = KALOT_SUCCESS;
  if (error == nullptr) error = &ignored;
  *error = KALOT_SUCCESS;

  boost::shared_ptr<ZoltModel> model;
  std::string failure;
  std::string why;
  try {
    util::s_initUnicodeOnce();
    util::XercesSession session;
    model = detail::readStreaming(path, failure, &why);
  } catch (const std::exception& e) {
    model.reset();
    why = e.what();
  } catch (...) {
    model.reset();
    why = "Unspecified XML exception";
  }

  if (model && option != MechanismSimplifier::None) {
    try {
      MechanismSimplifier simplifier(model->getTopSubsystem(), option);
    } catch (const std::exception& e) {
      model.reset();
      why = std::string("cannot simplify the model: ") + e.what();
    } catch (...) {
      model.reset();
      why = "cannot simplify the model";
    }
  }
  if (!model) {
    *error = KALOT_XML_READ_ERROR;
    if (reason != nullptr)
      *reason = why.empty() ? std::string(util::fromErrorToStr(KALOT_XML_READ_ERROR)) : why;
  }
  return model;
}

}  // namespace kalo_toolkit
