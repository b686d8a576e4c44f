// The fast XML tree: writing (escaping, indentation, output encodings), lookups by name and the
// name index, tree edits and their errors, and node lifetime.
#include <gtest/gtest.h>

#include "codec/expect_message.h"
#include "codec/xml_document.h"
#include "codec/xml_text.h"
#include "support/temp_dir.h"
#include "velmor/xml_exception.h"

namespace velmor {
namespace {

const std::string kDecl = "<?xml version=\"1.0\"?>";

Ref<IXMLDocument> Load(const std::string& xml) { return LoadXMLDocument(xml); }

TEST(XmlWrite, EmptyElementGetsABlankBeforeTheSlash) {
  auto doc = Load(kDecl + "<r><a></a><b x='1'/><c>t</c></r>");
  EXPECT_EQ(doc->GetXML(), kDecl + "<r><a /><b x=\"1\" /><c>t</c></r>");
}

TEST(XmlWrite, EscapesTheFiveCharactersAndRoundTrips) {
  auto doc = Load(kDecl + "<r/>");
  doc->GetRoot()->SetText("a<b & 'c' \"d\" >");
  doc->GetRoot()->SetAttribute("v", "<&>");
  EXPECT_EQ(doc->GetXML(), kDecl + "<r v=\"&lt;&amp;&gt;\">a&lt;b &amp; &apos;c&apos; &quot;d&quot; &gt;</r>");
  auto again = Load(doc->GetXML());
  EXPECT_EQ(again->GetRoot()->GetText(), "a<b & 'c' \"d\" >");
  EXPECT_EQ(again->GetRoot()->GetAttribute("v"), "<&>");
  // "&amp;lt;" reads back as "&lt;" and is written as "&amp;lt;" again.
  auto once = Load(kDecl + "<r>&amp;lt;</r>");
  EXPECT_EQ(once->GetRoot()->GetText(), "&lt;");
  EXPECT_EQ(once->GetXML(), kDecl + "<r>&amp;lt;</r>");
}

TEST(XmlWrite, CommentsAndInstructionsReadBackAsWritten) {
  auto edited = Load(kDecl + "<r><!--x--><?p q?></r>");
  edited->GetRoot()->GetChild(0)->SetText("a-->b & c");
  edited->GetRoot()->GetChild(1)->SetText("1 ?> 2");
  std::string written = edited->GetXML();
  EXPECT_EQ(written, kDecl + "<r><!--a--&gt;b &amp; c--><?p 1 ?&gt; 2 ?></r>");
  auto back = Load(written);
  EXPECT_EQ(back->GetRoot()->GetChild(0)->GetText(), "a-->b & c");
  EXPECT_EQ(back->GetRoot()->GetChild(1)->GetText(), "1 ?> 2");
  EXPECT_EQ(back->GetXML(), written);
}

TEST(XmlWrite, DeclarationListsOnlyTheValuesSet) {
  Ref<IXMLDocument> doc(new TXMLDocument());
  EXPECT_THROW_MSG(doc->GetXML(), EXMLException, "No active document");
  doc->SetRoot(doc->CreateNode("r", XMLNodeKind::Element).get());
  EXPECT_EQ(doc->GetXML(), "<?xml version=\"1.0\"?><r />");
  doc->SetEncoding("UTF-8");
  doc->SetStandalone("no");
  EXPECT_EQ(doc->GetXML(), "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?><r />");
  EXPECT_THROW_MSG(doc->SetXMLVersion(""), EXMLException, "Invalid xml vrison");
  EXPECT_EQ(doc->GetXMLVersion(), "1.0");
}

TEST(XmlWrite, IndentsByLevel) {
  auto doc = Load(kDecl + "<r><a>1</a><b><c/><!--n--><?p d?><![CDATA[z]]></b></r>");
  doc->SetIndent("  ");
  EXPECT_EQ(doc->GetXML(), kDecl +
                               "\r\n<r>"
                               "\r\n  <a>1</a>"
                               "\r\n  <b>"
                               "\r\n    <c />"
                               "\r\n    <!--n-->"
                               "\r\n    <?p d ?>"
                               "<![CDATA[z]]>"
                               "\r\n  </b>"
                               "\r\n</r>");
  EXPECT_EQ(doc->GetRoot()->FindChild("b")->FindChild("c")->GetXML(), "\r\n    <c />");
}

TEST(XmlWrite, ElementTextBeforeItsChildren) {
  auto doc = Load(kDecl + "<r>head<a/></r>");
  EXPECT_EQ(doc->GetXML(), kDecl + "<r>head<a /></r>");
}

TEST(XmlWrite, OutputEncodings) {
  const std::string utf8 = "\xE5\xBC\xA0\xE4\xB8\x89";  // 张三 in UTF-8
  const std::string gbk = "\xD5\xC5\xC8\xFD";           // 张三 in GBK
  auto doc = Load(kDecl + "<r a=\"" + utf8 + "\">" + utf8 + "</r>");
  EXPECT_EQ(doc->GetRoot()->GetText(), utf8) << "stored as read";
  doc->SetOutputEncoding(XMLOutputEncoding::Ansi);
  EXPECT_EQ(doc->GetXML(), kDecl + "<r a=\"" + gbk + "\">" + gbk + "</r>");
  doc->SetOutputEncoding(XMLOutputEncoding::Utf8);
  EXPECT_EQ(doc->GetXML(), kDecl + "<r a=\"" + utf8 + "\">" + utf8 + "</r>");

  auto ansi = Load(kDecl + "<r>" + gbk + "</r>");
  ansi->SetOutputEncoding(XMLOutputEncoding::Utf8);
  EXPECT_EQ(ansi->GetXML(), kDecl + "<r>" + utf8 + "</r>");
  ansi->SetOutputEncoding(XMLOutputEncoding::Ansi);
  EXPECT_EQ(ansi->GetXML(), kDecl + "<r>" + gbk + "</r>") << "not UTF-8: stored bytes kept";
  ansi->SetOutputEncoding(XMLOutputEncoding::AsStored);
  EXPECT_EQ(ansi->GetXML(), kDecl + "<r>" + gbk + "</r>");
}

TEST(XmlText, OutputConversionsReplaceWhatTheyCannotConvert) {
  EXPECT_EQ(XmlUtf8ToAnsi("a\xF0\x9F\x98\x80" "b"), "a?b") << "GBK lacks the character";
  EXPECT_EQ(XmlAnsiToUtf8("\xD5\xC5\xFF"), "\xE5\xBC\xA0?");
}

TEST(XmlFind, FirstMatchByNodeOrLocalName) {
  for (int n : {3, 4, 12}) {
    std::string xml = kDecl + "<r>";
    for (int i = 0; i < n - 3; ++i) xml += "<f" + std::to_string(i) + "/>";
    xml += "<x:item>1</x:item><item>2</item><Item>3</Item></r>";
    auto doc = Load(xml);
    auto r = doc->GetRoot();
    SCOPED_TRACE(n);
    EXPECT_EQ(r->FindChild("item")->GetText(), "1") << "local name of the prefixed child comes first";
    EXPECT_EQ(r->FindChild("x:item")->GetText(), "1");
    EXPECT_EQ(r->FindChild("Item")->GetText(), "3");
    EXPECT_FALSE(r->FindChild("ITEM"));
    doc->SetCaseSensitive(false);
    EXPECT_EQ(r->FindChild("ITEM")->GetText(), "1");
    EXPECT_EQ(r->FindChild("X:ITEM")->GetText(), "1");
    EXPECT_FALSE(r->FindChild("missing"));
  }
}

TEST(XmlFind, IndexFollowsInsertsAndRemovals) {
  auto doc = Load(kDecl + "<r><a>1</a><b/><c/><d/><e/></r>");
  auto r = doc->GetRoot();
  EXPECT_EQ(r->FindChild("a")->GetText(), "1");  // builds the index
  auto late = r->AddChild("late");
  late->SetText("L");
  EXPECT_EQ(r->FindChild("late")->GetText(), "L");
  auto front = doc->CreateNode("a", XMLNodeKind::Element);
  front->SetText("0");
  r->InsertChild(0, front.get());
  EXPECT_EQ(r->FindChild("a")->GetText(), "0") << "first in child order";
  EXPECT_EQ(r->IndexOfChild(r->FindChild("late").get()), 6);
  EXPECT_TRUE(r->RemoveChildByName("a"));
  EXPECT_EQ(r->FindChild("a")->GetText(), "1");
  EXPECT_TRUE(r->RemoveChild(0));
  EXPECT_FALSE(r->FindChild("a"));
  EXPECT_FALSE(r->RemoveChildByName("a"));
  EXPECT_FALSE(r->RemoveChild(99));
  for (int i = 0; i < 100; ++i) r->AddChild("n" + std::to_string(i))->SetText(std::to_string(i));
  for (int i = 0; i < 100; i += 7) EXPECT_EQ(r->FindChild("n" + std::to_string(i))->GetText(), std::to_string(i));
}

TEST(XmlAttributes, LastMatchWinsAndRemoval) {
  auto doc = Load(kDecl + "<r a='1' b='2' a='3'/>");
  auto r = doc->GetRoot();
  EXPECT_EQ(r->GetAttribute("a"), "3");
  EXPECT_EQ(r->GetAttributeName(1), "b");
  EXPECT_EQ(r->GetAttributeValue(2), "3");
  EXPECT_EQ(r->GetAttributeName(3), "");
  EXPECT_EQ(r->GetAttributeValue(-1), "");
  r->SetAttribute("a", "x");
  EXPECT_EQ(r->GetAttributeValue(0), "1");
  EXPECT_EQ(r->GetAttributeValue(2), "x");
  r->SetAttribute("c", "new");
  EXPECT_EQ(r->GetAttributeCount(), 4);
  EXPECT_FALSE(r->HasAttribute("A"));
  doc->SetCaseSensitive(false);
  EXPECT_TRUE(r->HasAttribute("A"));
  EXPECT_TRUE(r->RemoveAttribute("A"));
  EXPECT_FALSE(r->HasAttribute("a"));
  EXPECT_EQ(r->GetAttributeCount(), 2);
  EXPECT_TRUE(r->RemoveAttributeAt(0));
  EXPECT_FALSE(r->RemoveAttributeAt(5));
  EXPECT_EQ(r->GetAttributeName(0), "c");
}

TEST(XmlAttributes, VariantForms) {
  auto doc = Load(kDecl + "<r/>");
  auto r = doc->GetRoot();
  EXPECT_TRUE(std::holds_alternative<std::monostate>(r->GetAttributeVariant("n")));
  r->SetAttributeVariant("n", int64_t{-42});
  r->SetAttributeVariant("f", 0.1);
  r->SetAttributeVariant("b", true);
  EXPECT_EQ(std::get<std::string>(r->GetAttributeVariant("n")), "-42");
  EXPECT_EQ(r->GetAttribute("f"), "0.1");
  EXPECT_EQ(r->GetAttribute("b"), "true");
  r->SetTextValue(2.5);
  EXPECT_EQ(std::get<std::string>(r->GetTextValue()), "2.5");
}

TEST(XmlEdit, InsertErrors) {
  auto doc = Load(kDecl + "<r><a><b/></a></r>");
  auto r = doc->GetRoot();
  auto a = r->GetChild(0);
  auto b = a->GetChild(0);
  EXPECT_THROW_MSG(r->InsertChild(0, nullptr), EXMLException, "XMLNode can not be nul");
  auto n = doc->CreateNode("n", XMLNodeKind::Element);
  EXPECT_THROW_MSG(r->InsertChild(2, n.get()), EXMLException, "Node list index out of bounds (2)");
  EXPECT_THROW_MSG(r->InsertChild(-2, n.get()), EXMLException, "Node list index out of bounds (-2)");
  EXPECT_THROW_MSG(b->InsertChild(0, a.get()), EXMLException,
                   "XMLNode can not be inserted into itself or its descendant");
  EXPECT_THROW_MSG(a->InsertChild(0, a.get()), EXMLException,
                   "XMLNode can not be inserted into itself or its descendant");
  EXPECT_EQ(doc->GetXML(), kDecl + "<r><a><b /></a></r>") << "nothing changed";
  EXPECT_FALSE(r->GetChild(1));
  EXPECT_FALSE(r->GetChild(-1));
}

TEST(XmlEdit, MovingANodeTakesItOutOfItsOldPlace) {
  auto doc = Load(kDecl + "<r><a><b><c/></b></a><d/></r>");
  auto r = doc->GetRoot();
  auto b = r->FindChild("a")->FindChild("b");
  auto d = r->FindChild("d");
  d->InsertChild(-1, b.get());
  EXPECT_EQ(doc->GetXML(), kDecl + "<r><a /><d><b><c /></b></d></r>");
  EXPECT_EQ(b->GetLevel(), 2);
  EXPECT_EQ(b->GetChild(0)->GetLevel(), 3);
  EXPECT_EQ(b->GetParentNode().get(), d.get());
  // Within one list: move the first child to the end.
  r->InsertChild(2, r->GetChild(0).get());
  EXPECT_EQ(doc->GetXML(), kDecl + "<r><d><b><c /></b></d><a /></r>");
  // Into another document.
  auto other = Load(kDecl + "<o/>");
  other->GetRoot()->InsertChild(-1, d.get());
  EXPECT_EQ(other->GetXML(), kDecl + "<o><d><b><c /></b></d></o>");
  EXPECT_EQ(b->GetOwnerDocument().get(), other.get());
  EXPECT_EQ(doc->GetXML(), kDecl + "<r><a /></r>");
}

TEST(XmlEdit, NodesOutliveTheirDocumentDetached) {
  Ref<IXMLNode> kept;
  Ref<IXMLNode> leaf;
  {
    auto doc = Load(kDecl + "<r><a><b>t</b></a></r>");
    kept = doc->GetRoot()->FindChild("a");
    leaf = kept->FindChild("b");
  }
  EXPECT_FALSE(kept->GetOwnerDocument());
  EXPECT_FALSE(kept->GetParentNode());
  EXPECT_EQ(kept->GetLevel(), 0);
  EXPECT_EQ(leaf->GetLevel(), 1);
  EXPECT_FALSE(leaf->GetOwnerDocument());
  EXPECT_EQ(kept->GetXML(), "<a><b>t</b></a>");
  kept = nullptr;
  EXPECT_FALSE(leaf->GetParentNode());
  EXPECT_EQ(leaf->GetText(), "t");
}

TEST(XmlEdit, RemovedChildIsDetached) {
  auto doc = Load(kDecl + "<r><a/></r>");
  auto a = doc->GetRoot()->GetChild(0);
  EXPECT_TRUE(doc->GetRoot()->RemoveChild(0));
  EXPECT_FALSE(a->GetParentNode());
  EXPECT_FALSE(a->GetOwnerDocument());
  EXPECT_EQ(doc->GetRoot()->IndexOfChild(a.get()), -1);
  EXPECT_FALSE(doc->GetRoot()->HasChildNodes());
}

TEST(XmlEdit, RootMovedUnderAnotherNodeLeavesItsDocument) {
  auto doc = Load(kDecl + "<r/>");
  auto other = Load(kDecl + "<o/>");
  other->GetRoot()->InsertChild(-1, doc->GetRoot().get());
  EXPECT_FALSE(doc->GetRoot());
  EXPECT_EQ(other->GetXML(), kDecl + "<o><r /></o>");
}

TEST(XmlList, GrowthRuleAndCapacityLimit) {
  EXPECT_EQ(XmlListGrowth(0), 4u);
  EXPECT_EQ(XmlListGrowth(8), 12u);
  EXPECT_EQ(XmlListGrowth(9), 25u);
  EXPECT_EQ(XmlListGrowth(64), 80u);
  EXPECT_EQ(XmlListGrowth(65), 81u);
  EXPECT_EQ(XmlListGrowth(1000), 1250u);
  EXPECT_EQ(XmlListGrowth(100000000), 125000000u);
  EXPECT_THROW_MSG(XmlListGrowth(110000000), EXMLException, "Node list capacity out of bounds (137500000)");
}

TEST(XmlFile, SaveAndLoadBack) {
  testing::TempDir dir;
  auto doc = Load(kDecl + "<r><a>x</a></r>");
  doc->SaveToFile(dir.File("out.xml"));
  EXPECT_EQ(testing::ReadFile(dir.File("out.xml")), doc->GetXML());
  Ref<IXMLDocument> back(new TXMLDocument());
  back->LoadFromFile(dir.File("out.xml"));
  EXPECT_EQ(back->GetRoot()->FindChild("a")->GetText(), "x");
  EXPECT_THROW_MSG(doc->SaveToFile(dir.File("missing/dir/out.xml")), EXMLException,
                   "Can not write file \"" + dir.File("missing/dir/out.xml") + "\"");
}

TEST(XmlObject, VersionAndInterfaces) {
  auto doc = Load(kDecl + "<r/>");
  EXPECT_EQ(doc->GetVersion(), "1.0.0.0");
  EXPECT_EQ(doc->GetRoot()->GetVersion(), "1.0.0.0");
  auto tw = Query<ITWInterface>(doc.get());
  ASSERT_TRUE(tw);
  auto asNode = Query<IXMLNode>(doc.get());
  EXPECT_FALSE(asNode);
  auto node = Query<IXMLNode>(doc->GetRoot().get());
  EXPECT_TRUE(node);
}

}  // namespace
}  // namespace velmor
