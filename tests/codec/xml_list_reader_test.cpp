// The streaming list reader against the fast XML document: whatever text the reader takes, in
// whatever pieces, it must read exactly as the document does (code, message, the list's rows);
// whatever the document refuses, the reader must decline.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "codec/xml_document.h"
#include "codec/xml_list_reader.h"

namespace velmor {
namespace {

using Json = nlohmann::ordered_json;

struct Read {
  bool ok = false;  // the document loaded / the reader took the text
  std::string code, message;
  bool hasList = false;
  Json rows = Json::array();
  bool operator==(const Read&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Read& r) {
  return out << (r.ok ? "ok" : "refused") << " code=" << r.code << " message=" << r.message
             << " list=" << r.hasList << " rows=" << r.rows.dump();
}

std::string ChildText(IXMLNode& node, const char* name) {
  Ref<IXMLNode> child = node.FindChild(name);
  return child ? child->GetText() : std::string();
}

// What the plug-in read before the streaming reader: the whole document, then lookups.
Read ByDocument(const std::string& xml, const char* list) {
  Read r;
  Ref<IXMLDocument> doc;
  try {
    doc = LoadXMLDocument(xml);
  } catch (const std::exception&) {
    return r;
  }
  Ref<IXMLNode> root = doc->GetRoot();
  if (!root) return r;
  r.ok = true;
  r.code = ChildText(*root, "code");
  r.message = ChildText(*root, "message");
  Ref<IXMLNode> l = root->FindChild(list);
  r.hasList = l != nullptr;
  for (int32_t i = 0; l && i < l->GetChildCount(); ++i) {
    Ref<IXMLNode> row = l->GetChild(i);
    if (row->GetNodeKind() != XMLNodeKind::Element) continue;
    Json o = Json::object();
    for (int32_t j = 0; j < row->GetChildCount(); ++j) {
      Ref<IXMLNode> f = row->GetChild(j);
      if (f->GetNodeKind() == XMLNodeKind::Element) o[f->GetNodeName()] = f->GetText();
    }
    r.rows.push_back(o);
  }
  return r;
}

// The reader fed `piece` bytes at a time (0: the whole text at once).
Read ByReader(const std::string& xml, const char* list, size_t piece = 0) {
  Read r;
  XmlListReader reader(list, [&](const Json& row) { r.rows.push_back(row); });
  const size_t step = piece ? piece : std::max<size_t>(xml.size(), 1);
  bool fed = true;
  for (size_t at = 0; fed && at < xml.size(); at += step) fed = reader.Feed(std::string_view(xml).substr(at, step));
  if (!fed || !reader.Finish()) return Read{};
  r.ok = true;
  r.code = reader.Code();
  r.message = reader.Message();
  r.hasList = reader.HasList();
  // Counting alone gives the same number.
  XmlListReader counter(list);
  EXPECT_TRUE(counter.Feed(xml) && counter.Finish());
  EXPECT_EQ(counter.Rows(), r.rows.size());
  EXPECT_EQ(reader.Rows(), r.rows.size());
  return r;
}

// The reader takes the text in any pieces and reads it as the document does.
void ExpectTaken(const std::string& xml, const char* list = "rowList") {
  const Read doc = ByDocument(xml, list);
  ASSERT_TRUE(doc.ok) << xml;
  for (size_t piece : {size_t{0}, size_t{1}, size_t{2}, size_t{5}, size_t{16}}) {
    EXPECT_EQ(ByReader(xml, list, piece), doc) << "pieces of " << piece << ": " << xml;
  }
}

// The reader declines the text (in any pieces).
void ExpectDeclined(const std::string& xml, const char* list = "rowList") {
  for (size_t piece : {size_t{0}, size_t{1}, size_t{7}}) {
    EXPECT_FALSE(ByReader(xml, list, piece).ok) << "pieces of " << piece << ": " << xml;
  }
}

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

const std::string kAnswer = kDecl +
                            "<taxML>\n  <code>00000</code>\n  <message>处理成功</message>\n  <rowList>\n"
                            "    <rowDTO>\n      <a>1</a>\n      <b>甲乙</b>\n      <c></c>\n    </rowDTO>\n"
                            "    <rowDTO>\n      <a>2</a>\n      <b/>\n      <c>x y </c>\n    </rowDTO>\n"
                            "  </rowList>\n</taxML>\n";

TEST(XmlListReader, ReadsAnOrdinaryAnswerAsTheDocument) {
  ExpectTaken(kAnswer);
  const Read r = ByReader(kAnswer, "rowList", 3);
  EXPECT_EQ(r.code, "00000");
  EXPECT_EQ(r.message, "处理成功");
  EXPECT_EQ(r.rows, Json::parse(R"([{"a":"1","b":"甲乙","c":""},{"a":"2","b":"","c":"x y "}])"));
}

TEST(XmlListReader, TextsKeepTheDocumentsQuirks) {
  // The five entities decoded once, numeric references kept as written.
  ExpectTaken(kDecl + "<r><code>0&amp;0</code><rowList><x><a>&lt;&amp;lt;&#20013;&#x4e2d;&foo;&gt;</a></x></rowList></r>");
  // Blanks alone are no text; blanks around other text are kept.
  ExpectTaken(kDecl + "<r><rowList><x><a>   </a><b> v\n</b><c>\n\t</c></x></rowList></r>");
  // A CDATA section is a child, not the element's text; text before it is.
  ExpectTaken(kDecl + "<r><rowList><x><a><![CDATA[<z>]]></a><b>t<![CDATA[u]]></b></x></rowList></r>");
  // A field's own children are not read; the text before them is.
  ExpectTaken(kDecl + "<r><rowList><x><a>v<i>w</i><j/></a></x></rowList></r>");
  // A repeated field: the last value, at the first one's place.
  ExpectTaken(kDecl + "<r><rowList><x><a>1</a><b>2</b><a>3</a></x></rowList></r>");
  // End tags match in any case.
  ExpectTaken(kDecl + "<r><rowList><x><a>1</A></X></rowList></R>");
  const Read r = ByReader(kDecl + "<r><rowList><x><a>&amp;lt;&#20013;</a></x></rowList></r>", "rowList");
  EXPECT_EQ(r.rows[0]["a"], "&lt;&#20013;");
}

TEST(XmlListReader, RowsOfChangingLayoutsReadAsTheDocument) {
  // Fewer fields, more, another order, a repeated name, an empty row, a row after it: each row is
  // its own object, whatever the row before it held.
  const std::string xml = kDecl + "<r><rowList><x><a>1</a><b>2</b><c>3</c></x><x><a>4</a><b>5</b></x>"
                                  "<x><a>6</a><b>7</b><c>8</c><d>9</d></x><x><b>1</b><a>2</a></x>"
                                  "<x><b>3</b><b>4</b><a>5</a></x><x><a>z</a><b>y</b><a>w</a></x><x/>"
                                  "<x><a>&amp;</a><b/></x><y><a>1</a></y></rowList></r>";
  ExpectTaken(xml);
  EXPECT_EQ(ByReader(xml, "rowList").rows,
            Json::parse(R"([{"a":"1","b":"2","c":"3"},{"a":"4","b":"5"},{"a":"6","b":"7","c":"8","d":"9"},)"
                        R"({"b":"1","a":"2"},{"b":"4","a":"5"},{"a":"w","b":"y"},{},{"a":"&","b":""},{"a":"1"}])"));
}

TEST(XmlListReader, CommentsAttributesAndInstructionsOutsideTheRoot) {
  ExpectTaken("<?xml version='1.0'?><!-- head --><?style x?>\n<r a=\"1\" b='>' >"
              "<code k=\"v\">00000</code><!-- <code>1</code> -->"
              "<rowList n=\"2\"><!--c--><x id='a&amp;b'><!--d--><a t=\"<>\">1</a><b/></x>"
              "<![CDATA[not a row]]><x><a>2</a></x></rowList></r><!-- tail --><?pi?>\n");
  const Read r = ByReader("<?xml version='1.0'?><r><rowList><!--c--><x/><![CDATA[y]]><x><a>2</a></x></rowList></r>",
                          "rowList");
  EXPECT_EQ(r.rows, Json::parse(R"([{},{"a":"2"}])"));
}

TEST(XmlListReader, FindsElementsAsTheDocumentDoes) {
  // The list before the code, a second list ignored, the first code counts, prefixed names match.
  ExpectTaken(kDecl + "<r><rowList><x><a>1</a></x></rowList><code>1</code><code>2</code>"
                      "<rowList><x><a>2</a></x></rowList></r>");
  ExpectTaken(kDecl + "<r><t:code>00000</t:code><t:rowList><t:x><t:a>1</t:a></t:x></t:rowList></r>");
  // A list deeper down is not the root's list; names compare with case.
  ExpectTaken(kDecl + "<r><wrap><rowList><x/></rowList></wrap></r>");
  ExpectTaken(kDecl + "<r><rowlist><x/></rowlist></r>");
  // An empty list, a missing one, an empty root.
  ExpectTaken(kDecl + "<r><code>00000</code><rowList/></r>");
  ExpectTaken(kDecl + "<r><code>00000</code><rowList>\n</rowList></r>");
  ExpectTaken(kDecl + "<r><code>30001</code><message>a &amp; b</message></r>");
  ExpectTaken(kDecl + "<r/>");
  // The first tag is the declaration, whatever it is (the next element is then the root).
  ExpectTaken("  <taxML><r><rowList><x><a>1</a></x></rowList></r>");
  EXPECT_FALSE(ByReader(kDecl + "<r><rowList/></r>", "other").hasList);
}

TEST(XmlListReader, DeclinesWhatTheDocumentRefuses) {
  for (const std::string& bad : {
           std::string(),
           std::string("   "),
           kDecl,                                                     // no root
           kDecl + "<r><rowList><x><a>1</b></x></rowList></r>",       // end tag of another
           kDecl + "<r><rowList><x/>text</rowList></r>",              // text after a child
           kDecl + "<r/><r/>",                                        // two roots
           kDecl + "<r/>tail",                                        // text after the root
           kDecl + "<![CDATA[x]]><r/>",                               // CDATA outside the root
           kDecl + "<r a=1/>",                                        // attribute without quotes
           kDecl + "<r a/>",                                          // attribute without value
           kDecl + "<r a='1></r>",                                    // quote never closed
           kDecl + "<r></r></r>",                                     // end tag with nothing open
           kDecl + "<r><!-- open </r>",                               // comment never closed
           kDecl + "<>",                                              // element without a name
           std::string("<?xml version=1.0?><r/>"),                    // declaration the parser refuses
           std::string("x<r/>"),                                      // text before the first tag
       }) {
    EXPECT_FALSE(ByDocument(bad, "rowList").ok) << bad;
    ExpectDeclined(bad);
  }
}

TEST(XmlListReader, DeclinesWhatItLeavesToTheDocument) {
  // Readable by the document, but left to it: an instruction inside the root (a node FindChild
  // could find), a byte-order mark, an element named "!...".
  for (const std::string& odd : {
           kDecl + "<r><?code 1?><rowList/></r>",
           "\xEF\xBB\xBF" + kDecl + "<r><rowList/></r>",
           kDecl + "<!DOCTYPE/>",
       }) {
    ExpectDeclined(odd);
  }
}

TEST(XmlListReader, EveryCutOfAnAnswerIsDeclinedOrReadAsTheDocument) {
  const std::string text = kDecl + "<r><code>00000</code><!--c--><rowList a='1'><x><a>&amp;1</a><b><![CDATA[q]]></b>"
                                   "</x><x><a/></x></rowList></r>";
  for (size_t n = 0; n < text.size(); ++n) {
    const std::string cut = text.substr(0, n);
    const Read doc = ByDocument(cut, "rowList");
    for (size_t piece : {size_t{0}, size_t{1}, size_t{4}}) {
      const Read streamed = ByReader(cut, "rowList", piece);
      if (streamed.ok) {
        EXPECT_EQ(streamed, doc) << cut;
      }
    }
    EXPECT_FALSE(ByReader(cut, "rowList").ok) << "cut at " << n << " taken: " << cut;
  }
  ExpectTaken(text);
}

// Damaged texts (bytes replaced by markup characters): whatever the reader takes, the document
// reads the same way.
TEST(XmlListReader, DamagedTextsAreDeclinedOrReadAsTheDocument) {
  std::mt19937 random(7);
  const std::string marks = "<>/!?-[]&;'\"= \nax";
  size_t taken = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string text = kAnswer;
    const int edits = 1 + static_cast<int>(random() % 3);
    for (int e = 0; e < edits; ++e) text[random() % text.size()] = marks[random() % marks.size()];
    const Read streamed = ByReader(text, "rowList", 1 + random() % 40);
    if (!streamed.ok) continue;
    ++taken;
    ASSERT_EQ(streamed, ByDocument(text, "rowList")) << text;
  }
  EXPECT_GT(taken, 100u);  // the check above ran on many texts the reader took
}

TEST(XmlListReader, TakesNoMoreOnceDeclined) {
  XmlListReader reader("rowList");
  EXPECT_FALSE(reader.Feed(kDecl + "<r><?pi?>"));
  EXPECT_TRUE(reader.Declined());
  EXPECT_FALSE(reader.Feed("<rowList/></r>"));
  EXPECT_FALSE(reader.Finish());
}

}  // namespace
}  // namespace velmor
