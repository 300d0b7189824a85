#include <pthread.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <xercesc/dom/DOM.hpp>
#include <xercesc/dom/impl/DOMErrorImpl.hpp>
#include <xercesc/framework/MemBufFormatTarget.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include <kalo_toolkit/read_helper.hpp>
#include <kalo_toolkit/xml_helpers.hpp>

XERCES_CPP_NAMESPACE_USE
using namespace kalo_toolkit::util;

namespace {

class XmlHelpers : public testing::Test {
 protected:
  static void SetUpTestSuite() { XMLPlatformUtils::Initialize(); }
  static void TearDownTestSuite() { XMLPlatformUtils::Terminate(); }

  void TearDown() override {
    if (doc_) doc_->release();
  }

  // A new empty document with the given root element.
  DOMElement* newDocument(const char* rootName) {
    DOMImplementation* impl = DOMImplementationRegistry::getDOMImplementation(u"LS");
    doc_ = impl->createDocument(nullptr, toXMLString(rootName).c_str(), nullptr);
    return doc_->getDocumentElement();
  }

  // Parses text; the parser owns the document and is kept for the test.
  DOMElement* parse(const std::string& text) {
    parser_ = std::make_unique<XercesDOMParser>();
    parser_->setErrorHandler(&handler_);
    MemBufInputSource source(reinterpret_cast<const XMLByte*>(text.data()), text.size(), "test");
    parser_->parse(source);
    return parser_->getDocument()->getDocumentElement();
  }

  static std::string attr(const DOMElement* e, const char* name) {
    return toBytes(e->getAttribute(toXMLString(name).c_str()));
  }

  static std::string serialize(DOMDocument* doc) {
    MemBufFormatTarget target;
    std::string message;
    EXPECT_TRUE(serializeDocument(doc, &target, message)) << message;
    return std::string(reinterpret_cast<const char*>(target.getRawBuffer()), target.getLen());
  }

  DOMDocument* doc_ = nullptr;
  XMLErrorHandler handler_;
  std::unique_ptr<XercesDOMParser> parser_;
};

// A format target whose output fails.
class FailingTarget : public XMLFormatTarget {
 public:
  void writeChars(const XMLByte*, XMLSize_t, XMLFormatter*) override {
    throw std::runtime_error("disk full");
  }
};

}  // namespace

TEST_F(XmlHelpers, FindElementsAtAnyDepthInDocumentOrder) {
  DOMElement* root =
      parse("<root><a id='1'><b><a id='2'/></b></a><!--c--><?pi x?><c><a id='3'>x</a></c><A id='4'/></root>");
  std::vector<DOMElement*> all = findElements(root, "a", false);
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(attr(all[0], "id"), "1");
  EXPECT_EQ(attr(all[1], "id"), "2");
  EXPECT_EQ(attr(all[2], "id"), "3");

  std::vector<DOMElement*> first = findElements(root, "a", true);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0], all[0]);
  EXPECT_EQ(findFirstElement(root, "a"), all[0]);

  // Only below the given parent, never the parent itself.
  DOMElement* b = findFirstElement(root, "b");
  ASSERT_NE(b, nullptr);
  std::vector<DOMElement*> inB = findElements(b, "a", false);
  ASSERT_EQ(inB.size(), 1u);
  EXPECT_EQ(attr(inB[0], "id"), "2");
  EXPECT_TRUE(findElements(root, "root", false).empty());
  EXPECT_EQ(findFirstElement(root, "missing"), nullptr);
  EXPECT_EQ(findFirstElement(nullptr, "a"), nullptr);
}

TEST_F(XmlHelpers, GetElementTextRemovesOnePairOfQuotes) {
  DOMElement* root = parse(
      "<r><two>\"\"</two><one>\"</one><q>\"abc\"</q><inner>\"a\"b\"</inner><open>abc\"</open>"
      "<blank>  \"x\" "
      "</blank><empty/><nested><w>\"in\"</w>tail</nested><cdata><![CDATA[\"c\"]]></cdata></r>");
  EXPECT_EQ(getElementText(root, "two"), "");
  EXPECT_EQ(getElementText(root, "one"), "\"");
  EXPECT_EQ(getElementText(root, "q"), "abc");
  EXPECT_EQ(getElementText(root, "inner"), "a\"b");
  EXPECT_EQ(getElementText(root, "open"), "abc\"");
  EXPECT_EQ(getElementText(root, "blank"), "  \"x\" ");  // no trimming
  EXPECT_EQ(getElementText(root, "empty"), "");
  EXPECT_EQ(getElementText(root, "missing"), "");
  EXPECT_EQ(getElementText(root, "nested"), "in");  // text of the first child only
  EXPECT_EQ(getElementText(root, "cdata"), "c");
  EXPECT_EQ(unquote("\"\""), "");
  EXPECT_EQ(quote("a b"), "\"a b\"");
  EXPECT_EQ(unquote(quote("x\"")), "x\"");
}

namespace {
struct DeepText {
  const DOMElement* root;
  std::string text;
};
void* readDeepText(void* arg) {
  auto* job = static_cast<DeepText*>(arg);
  job->text = getElementText(job->root, "name");
  return nullptr;
}
}  // namespace

// The first child of a looked-up element may be nested arbitrarily deep in a
// hostile file; its text is collected without recursion (checked on a small
// stack where a recursive walk of 50,000 levels could not fit).
TEST_F(XmlHelpers, GetElementTextOfDeeplyNestedChildUsesLittleStack) {
  DOMElement* root = newDocument("root");
  DOMElement* name = doc_->createElement(u"name");
  root->appendChild(name);
  DOMNode* cur = name;
  for (int i = 0; i < 50000; ++i) cur = cur->appendChild(doc_->createElement(u"a"));
  cur->appendChild(doc_->createTextNode(u"\"deep\""));
  name->appendChild(doc_->createTextNode(u"ignored"));

  DeepText job{root, ""};
  pthread_attr_t attrs;
  pthread_attr_init(&attrs);
  pthread_attr_setstacksize(&attrs, 256 * 1024);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attrs, readDeepText, &job), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attrs);
  EXPECT_EQ(job.text, "deep");
}

TEST_F(XmlHelpers, TextIsUtf8OnTheByteSide) {
  const std::string name =
      "Gr\xc3\xb6\xc3\x9f"
      "e \xe2\x9c\x93 \xf0\x9d\x84\x9e";  // o-umlaut, sharp s, check mark, G clef
  const std::basic_string<XMLCh> wide = toXMLString(name);
  EXPECT_EQ(wide, std::u16string(u"Größe ✓ \U0001D11E"));
  EXPECT_EQ(toBytes(wide.c_str()), name);

  DOMElement* root = newDocument("root");
  root->appendChild(createTextElement(doc_, "label", name));
  EXPECT_EQ(getElementText(root, "label"), name);
  EXPECT_NE(serialize(doc_).find("<label>" + name + "</label>"), std::string::npos);

  EXPECT_EQ(toBytes(nullptr), "");
  // Malformed bytes become U+FFFD, one per broken sequence or stray byte.
  EXPECT_EQ(toXMLString("a\xff"
                        "b"),
            std::u16string(u"a\uFFFDb"));
  EXPECT_EQ(toXMLString("a\xe2\x82"), std::u16string(u"a\uFFFD"));      // truncated at the end
  EXPECT_EQ(toXMLString("\xc0\xaf"), std::u16string(u"\uFFFD\uFFFD"));  // overlong
  EXPECT_EQ(toXMLString("\xed\xa0\x80x").back(), u'x');                 // encoded surrogate
  EXPECT_EQ(toXMLString("\xf4\x90\x80\x80").find(u'\uFFFD'), 0u);       // above U+10FFFF
  const XMLCh lone[] = {u'a', 0xD800, u'b', 0};
  EXPECT_EQ(toBytes(lone),
            "a\xef\xbf\xbd"
            "b");
}

TEST_F(XmlHelpers, SerializedDocumentIsPrettyPrintedAndRepeatable) {
  DOMElement* root = newDocument("root");
  DOMElement* group = doc_->createElement(u"group");
  root->appendChild(group);
  group->appendChild(createTextElement(doc_, "value", "\"1.5\""));
  const std::string text = serialize(doc_);
  EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"", 0), 0u) << text;
  EXPECT_NE(text.find("\n    <value>\"1.5\"</value>"), std::string::npos) << text;  // indented
  EXPECT_EQ(serialize(doc_), text);
}

TEST_F(XmlHelpers, SerializeFailureGivesFalseAndMessage) {
  newDocument("root");
  FailingTarget target;
  std::string message;
  EXPECT_FALSE(serializeDocument(doc_, &target, message));
  EXPECT_EQ(message, "Unspecified XML exception");
  message.clear();
  EXPECT_FALSE(serializeDocument(nullptr, &target, message));
  EXPECT_FALSE(message.empty());
}

TEST_F(XmlHelpers, MaterialRoundTrip) {
  DOMElement* root = newDocument("root");
  const kalot_vis_mat_prop written = {{0.25, 0.5, 1e-14}, 0.1, 0.2, 0.3, 12.5, 0.75, 1234567.0};
  DOMElement* material = writeMaterialProp(doc_, written);
  root->appendChild(material);

  // Children in their fixed order.
  const char* order[] = {"color", "ambient", "diffuse", "specular", "shininess", "transparency", "emission"};
  DOMElement* child = material->getFirstElementChild();
  for (const char* name : order) {
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(toBytes(child->getTagName()), name);
    child = child->getNextElementSibling();
  }
  EXPECT_EQ(child, nullptr);
  EXPECT_EQ(getElementText(material, "color"), "0.25,0.5,0");  // array cleaned

  DOMElement* readRoot = parse(serialize(doc_));
  kalo_toolkit::ReadHelper helper;
  std::unique_ptr<kalot_vis_mat_prop> read(readMaterialProp(readRoot, helper));
  ASSERT_NE(read, nullptr);
  const auto fields = [](const kalot_vis_mat_prop& m) {
    return std::vector<double>{m.color[0], m.color[1],  m.color[2],     m.ambient, m.diffuse,
                               m.specular, m.shininess, m.transparency, m.emission};
  };
  EXPECT_EQ(fields(*read), fields({{0.25, 0.5, 0}, 0.1, 0.2, 0.3, 12.5, 0.75, 1.23457e6}));  // 6 digits
}

TEST_F(XmlHelpers, MaterialReadingIsLenient) {
  DOMElement* root = parse(
      "<root><none/><outer><MaterialProp><color>1,2</color><ambient>x</ambient><diffuse>0.5</diffuse>"
      "</MaterialProp></outer></root>");
  kalo_toolkit::ReadHelper helper;
  EXPECT_EQ(readMaterialProp(findFirstElement(root, "none"), helper), nullptr);
  std::unique_ptr<kalot_vis_mat_prop> read(readMaterialProp(root, helper));  // found at any depth
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->diffuse, 0.5);
  EXPECT_EQ(read->ambient, 0.0);
  EXPECT_EQ(read->emission, 0.0);
}

TEST_F(XmlHelpers, ErrorHandlerEndsTheParseWithTheMessage) {
  const auto thrown = [](const std::function<void()>& f) {
    try {
      f();
    } catch (const std::string& message) {
      return message;
    }
    return std::string("nothing thrown");
  };
  EXPECT_EQ(thrown([&] { parse("<root><a></root>"); }), "expected end of tag 'a'");
  const SAXParseException exc(u"bad thing", u"", u"", 1, 1);
  kalo_toolkit::util::XMLErrorHandler handler;
  EXPECT_NO_THROW(handler.warning(exc));
  EXPECT_EQ(thrown([&] { handler.error(exc); }), "bad thing");
  EXPECT_EQ(thrown([&] { handler.fatalError(exc); }), "bad thing");
  kalo_toolkit::util::DOMErrorHandler domHandler;
  DOMErrorImpl error(DOMError::DOM_SEVERITY_FATAL_ERROR);
  EXPECT_TRUE(domHandler.handleError(error));
}
