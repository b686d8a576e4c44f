// Loading the fast XML document: the declaration rules, the syntax that is accepted and refused,
// entities, and the exact error messages.
#include <gtest/gtest.h>

#include "codec/expect_message.h"
#include "codec/xml_document.h"
#include "velmor/xml_exception.h"

namespace velmor {
namespace {

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";

Ref<IXMLDocument> Load(const std::string& xml) { return LoadXMLDocument(xml); }

std::string RootName(const std::string& xml) { return Load(xml)->GetRoot()->GetNodeName(); }

TEST(XmlLoad, EmptyTextIsAnInvalidString) {
  EXPECT_THROW_MSG(Load(""), EXMLException, "Invalid xml string");
}

TEST(XmlLoad, ByteOrderMarkAcceptedOnlyAtTheVeryStart) {
  EXPECT_EQ(RootName("\xEF\xBB\xBF" + kDecl + "<a/>"), "a");
  // One blank between the mark and the declaration is tolerated.
  EXPECT_EQ(RootName("\xEF\xBB\xBF\n" + kDecl + "<a/>"), "a");
  EXPECT_THROW_MSG(Load("  \xEF\xBB\xBF" + kDecl + "<a/>"), EXMLException,
                   "Invalid xml content \"\xEF\xBB\xBF<?xml version=\"1.0\"\"");
  // Three bytes that are not a byte-order mark are not skipped.
  EXPECT_THROW_MSG(Load("abc" + kDecl + "<a/>"), EXMLException, "Invalid xml content \"abc<?xml version=\"1.\"");
  EXPECT_THROW_MSG(Load(" \r\n\t"), EXMLException, "Invalid xml content \"\"");
}

TEST(XmlLoad, DeclarationValuesAreKeptAndNamesMatchWithoutCase) {
  auto doc = Load("<?xml VERSION='1.1' Encoding=\"GBK\" standalone='yes' other='x'?><a/>");
  EXPECT_EQ(doc->GetXMLVersion(), "1.1");
  EXPECT_EQ(doc->GetEncoding(), "GBK");
  EXPECT_EQ(doc->GetStandalone(), "yes");
  EXPECT_TRUE(doc->GetActive());

  auto bare = Load("<?xml?><a/>");
  EXPECT_EQ(bare->GetXMLVersion(), "1.0");
  EXPECT_EQ(bare->GetEncoding(), "");
}

TEST(XmlLoad, DeclarationFaults) {
  EXPECT_THROW_MSG(Load("<?xml version=\"1.0\"?"), EXMLException, "Invalid xml content \"<?xml version=\"1.0\"?\"");
  EXPECT_THROW_MSG(Load("<?xml version=1.0?><a/>"), EXMLException, "Invalid xml content \"1.0?><a/>\"");
  EXPECT_THROW_MSG(Load("<?xml version=\"1.0?><a/>"), EXMLException, "Invalid xml content \"\"1.0?><a/>\"");
}

TEST(XmlLoad, WithoutDeclarationTheFirstTagIsLost) {
  // <a> is read as the declaration, b becomes the root and </a> has nothing open to close.
  EXPECT_THROW_MSG(Load("<a><b/></a>"), EXMLException, "Invalid xml content \"</a>\"");
  auto doc = Load("<a><b x=\"1\"/>");
  EXPECT_EQ(doc->GetRoot()->GetNodeName(), "b");
  // A lone tag leaves an active document without root, which cannot be written.
  auto empty = Load("<a>");
  EXPECT_TRUE(empty->GetActive());
  EXPECT_FALSE(empty->GetRoot());
  EXPECT_THROW_MSG(empty->GetXML(), EXMLException, "No active document");
}

TEST(XmlLoad, TextRightAfterTheStartTagIsTheElementText) {
  auto doc = Load(kDecl + "<r><a>  x y \r\n</a><b>\n  </b><c>t<d/></c></r>");
  auto r = doc->GetRoot();
  EXPECT_EQ(r->FindChild("a")->GetText(), "  x y \r\n");
  EXPECT_EQ(r->FindChild("b")->GetText(), "") << "blanks before '<' are not text";
  EXPECT_EQ(r->FindChild("c")->GetText(), "t");
  EXPECT_EQ(r->FindChild("c")->GetChildCount(), 1);
}

TEST(XmlLoad, MixedContentIsRefused) {
  EXPECT_THROW_MSG(Load(kDecl + "<r><a/>text</r>"), EXMLException, "Invalid xml content \"text</r>\"");
  EXPECT_THROW_MSG(Load(kDecl + "<r><a></a>tail</r>"), EXMLException, "Invalid xml content \"tail</r>\"");
  EXPECT_THROW_MSG(Load(kDecl + "<r/>after"), EXMLException, "Invalid xml content \"after\"");
}

TEST(XmlLoad, EndTagsCompareWithoutCase) {
  auto doc = Load(kDecl + "<ROOT><Item>1</ITEM></root>");
  EXPECT_EQ(doc->GetRoot()->GetNodeName(), "ROOT");
  EXPECT_EQ(doc->GetRoot()->GetChild(0)->GetText(), "1");
  EXPECT_THROW_MSG(Load(kDecl + "<r><a></b></r>"), EXMLException, "Invalid xml content \"</b></r>\"");
  EXPECT_THROW_MSG(Load(kDecl + "<r></r >"), EXMLException, "Invalid xml content \"</r >\"");
}

TEST(XmlLoad, AttributesInEitherQuoteAndUnquotedRefused) {
  auto doc = Load(kDecl + "<r a='1' b=\"two\" c = \"x>y\" d='say \"hi\"'/>");
  auto r = doc->GetRoot();
  ASSERT_EQ(r->GetAttributeCount(), 4);
  EXPECT_EQ(r->GetAttribute("a"), "1");
  EXPECT_EQ(r->GetAttribute("b"), "two");
  EXPECT_EQ(r->GetAttribute("c"), "x>y");
  EXPECT_EQ(r->GetAttribute("d"), "say \"hi\"");
  EXPECT_THROW_MSG(Load(kDecl + "<r a=1/>"), EXMLException, "Invalid xml content \"1/>\"");
  EXPECT_THROW_MSG(Load(kDecl + "<r a=\"1/>"), EXMLException, "Invalid xml content \"\"1/>\"");
  EXPECT_THROW_MSG(Load(kDecl + "<r a/>"), EXMLException, "Invalid xml content \"/>\"");
  EXPECT_THROW_MSG(Load(kDecl + "<r / >"), EXMLException, "Invalid xml content \"/ >\"");
}

TEST(XmlLoad, EntitiesAreDecodedOnce) {
  auto doc = Load(kDecl + "<r v=\"&quot;&amp;lt;&apos;\">&lt;&amp;lt;&gt;&#60;&bogus;</r>");
  EXPECT_EQ(doc->GetRoot()->GetText(), "<&lt;>&#60;&bogus;");
  EXPECT_EQ(doc->GetRoot()->GetAttribute("v"), "\"&lt;'");
}

TEST(XmlLoad, CommentsCDataAndInstructions) {
  auto doc = Load(kDecl + "<!-- before --><?style a?><r><!--c &amp; d--><![CDATA[<x>&amp;]]><?pi  a &lt; b  ?></r><!--after-->");
  auto r = doc->GetRoot();
  ASSERT_EQ(r->GetChildCount(), 3) << "nodes outside the root are dropped";
  EXPECT_EQ(r->GetChild(0)->GetNodeKind(), XMLNodeKind::Comment);
  EXPECT_EQ(r->GetChild(0)->GetNodeName(), "#comment");
  EXPECT_EQ(r->GetChild(0)->GetText(), "c & d") << "comments are written escaped, so read unescaped";
  EXPECT_EQ(r->GetChild(1)->GetNodeKind(), XMLNodeKind::CData);
  EXPECT_EQ(r->GetChild(1)->GetNodeName(), "#cdata-section");
  EXPECT_EQ(r->GetChild(1)->GetText(), "<x>&amp;");
  EXPECT_EQ(r->GetChild(2)->GetNodeKind(), XMLNodeKind::ProcessingInstruction);
  EXPECT_EQ(r->GetChild(2)->GetNodeName(), "pi");
  EXPECT_EQ(r->GetChild(2)->GetText(), "a < b");
  EXPECT_EQ(r->GetChild(2)->GetLocalName(), "");
  EXPECT_EQ(doc->GetNodeCount(), 4);

  EXPECT_THROW_MSG(Load(kDecl + "<![CDATA[x]]><r/>"), EXMLException, "Invalid xml content \"<![CDATA[x]]><r/>\"");
  EXPECT_THROW_MSG(Load(kDecl + "<r><!-- open</r>"), EXMLException, "Invalid xml content \"<!-- open</r>\"");
  EXPECT_THROW_MSG(Load(kDecl + "<r><![CDATA[x]></r>"), EXMLException, "Invalid xml content \"<![CDATA[x]></r>\"");
  EXPECT_THROW_MSG(Load(kDecl + "<r><?pi x></r>"), EXMLException, "Invalid xml content \"<?pi x></r>\"");
}

TEST(XmlLoad, OneRootAndUnclosedElementErrors) {
  EXPECT_THROW_MSG(Load(kDecl + "<a/><b/>"), EXMLException, "Only one top node can be contain in a xml Document.");
  EXPECT_THROW_MSG(Load(kDecl + "<a></a><b></b>"), EXMLException,
                   "Only one top node can be contain in a xml Document.");
  EXPECT_THROW_MSG(Load(kDecl + "<a><b><c/>"), EXMLException, "no node end singe of the nodename \"</b>\"");
  EXPECT_THROW_MSG(Load(kDecl + "<a>text"), EXMLException, "no node end singe of the nodename \"</a>\"");
  EXPECT_THROW_MSG(Load(kDecl + "<a"), EXMLException, "Invalid xml content \"<a\"");
  EXPECT_THROW_MSG(Load(kDecl + "<a><b x='1'"), EXMLException, "Invalid xml content \"<b x='1'\"");
  EXPECT_THROW_MSG(Load(kDecl + "</a>"), EXMLException, "Invalid xml content \"</a>\"");
  EXPECT_THROW_MSG(Load(kDecl + "<>"), EXMLException, "Invalid xml content \"<>\"");
}

TEST(XmlLoad, ErrorTextHoldsTwentyCharactersFromTheFault) {
  EXPECT_THROW_MSG(Load(kDecl + "<r/>0123456789abcdefghijKLMN"), EXMLException,
                   "Invalid xml content \"0123456789abcdefghij\"");
  // Characters, not bytes: a Chinese character is one of the twenty.
  EXPECT_THROW_MSG(Load(kDecl + "<r/>张三李四王五赵六孙七周八吴九郑十冯一陈二褚三卫四"), EXMLException,
                   "Invalid xml content \"张三李四王五赵六孙七周八吴九郑十冯一陈二\"");
}

TEST(XmlLoad, FailedLoadKeepsThePreviousTree) {
  Ref<IXMLDocument> doc = Load(kDecl + "<old/>");
  EXPECT_THROW(doc->LoadXML(kDecl + "<new>"), EXMLException);
  EXPECT_EQ(doc->GetRoot()->GetNodeName(), "old");
  EXPECT_EQ(doc->GetNodeCount(), 1);
}

TEST(XmlLoad, CountsNodesAndLevels) {
  auto doc = Load(kDecl + "<a><b><c><d/></c></b><e/><!--x--></a>");
  EXPECT_EQ(doc->GetNodeCount(), 6);
  EXPECT_EQ(doc->GetMaxLevel(), 3);
  auto d = doc->GetRoot()->FindChild("b")->FindChild("c")->FindChild("d");
  EXPECT_EQ(d->GetLevel(), 3);
  EXPECT_EQ(d->GetParentNode()->GetNodeName(), "c");
  EXPECT_EQ(d->GetOwnerDocument().get(), doc.get());
}

TEST(XmlLoad, PrefixLocalNameAndNamespace) {
  auto doc = Load(kDecl + "<t:taxML xmlns:t=\"urn:t\" xmlns=\"urn:d\"><t:head/><body/></t:taxML>");
  auto r = doc->GetRoot();
  EXPECT_EQ(r->GetNodeName(), "t:taxML");
  EXPECT_EQ(r->GetPrefix(), "t");
  EXPECT_EQ(r->GetLocalName(), "taxML");
  EXPECT_EQ(r->GetNamespaceURI(), "urn:t");
  EXPECT_EQ(r->FindChild("head")->GetNodeName(), "t:head");
  EXPECT_EQ(r->FindChild("body")->GetNamespaceURI(), "urn:d");
}

TEST(XmlLoad, DeepNestingNeedsNoDeepStack) {
  const int depth = 200000;
  std::string xml = kDecl;
  for (int i = 0; i < depth; ++i) xml += "<n>";
  for (int i = 0; i < depth; ++i) xml += "</n>";
  auto doc = Load(xml);
  EXPECT_EQ(doc->GetMaxLevel(), depth - 1);
  // Written back without recursion: "<n>...</n>" around the innermost "<n />".
  EXPECT_EQ(doc->GetXML().size(), kDecl.size() + 7 * (depth - 1) + 5);
}

TEST(XmlLoad, MissingFile) {
  Ref<IXMLDocument> doc(new TXMLDocument());
  EXPECT_THROW_MSG(doc->LoadFromFile("no/such/file.xml"), EXMLException, "File not exist");
}

}  // namespace
}  // namespace velmor
