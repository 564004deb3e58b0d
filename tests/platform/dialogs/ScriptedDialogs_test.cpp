#include "platform/dialogs/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace dialogs {
namespace {

TEST(ScriptedDialogs, RecordsEveryBoxAndAnswersInScriptOrder) {
  ScriptedDialogs d;
  d.answerInput(u"C:\\temp");
  d.answerMessage(BoxAnswer::No);
  d.answerInput(u"");
  EXPECT_EQ(d.InputBox(u"保存先フォルダを指定してください。", u"保存先指定", u""), u"C:\\temp");
  EXPECT_EQ(d.MessageBox(u"上書きしますか？", u"Quillpost", Buttons::YesNo, Icon::Question),
            BoxAnswer::No);
  EXPECT_EQ(d.InputBox(u"新しい名前", u"ファイル名の変更", u"a.txt"), u"");
  ASSERT_EQ(d.asked().size(), 3u);
  const AskedBox& input = d.asked()[0];
  EXPECT_EQ(input.kind, BoxKind::Input);
  EXPECT_EQ(input.text, u"保存先フォルダを指定してください。");
  EXPECT_EQ(input.title, u"保存先指定");
  EXPECT_EQ(input.typed, u"C:\\temp");
  const AskedBox& question = d.asked()[1];
  EXPECT_EQ(question.kind, BoxKind::Message);
  EXPECT_EQ(question.title, u"Quillpost");
  EXPECT_EQ(question.buttons, Buttons::YesNo);
  EXPECT_EQ(question.icon, Icon::Question);
  EXPECT_EQ(question.answer, BoxAnswer::No);
  EXPECT_EQ(d.asked()[2].preset, u"a.txt");
  EXPECT_EQ(d.asked()[2].typed, u"");  // cancelled, not the preset
  EXPECT_TRUE(d.scriptFollowed());
}

TEST(ScriptedDialogs, EmptyScriptAnswersDefaultsAndSaysSo) {
  ScriptedDialogs d;
  EXPECT_EQ(d.MessageBox(u"t", u"T", Buttons::YesNoCancel, Icon::None), BoxAnswer::Yes);
  EXPECT_EQ(d.MessageBox(u"t", u"T", Buttons::OkCancel, Icon::None), BoxAnswer::Ok);
  EXPECT_EQ(d.InputBox(u"p", u"T", u"preset"), u"preset");
  for (const AskedBox& box : d.asked()) EXPECT_TRUE(box.defaulted);
  EXPECT_FALSE(d.scriptFollowed());
}

TEST(ScriptedDialogs, AnswerOfOtherKindWaitsForItsBox) {
  ScriptedDialogs d;
  d.answerMessage(BoxAnswer::No);
  EXPECT_EQ(d.InputBox(u"p", u"T", u"kept"), u"kept");
  EXPECT_TRUE(d.asked()[0].defaulted);
  EXPECT_EQ(d.unusedAnswers(), 1u);
  EXPECT_EQ(d.MessageBox(u"q", u"T", Buttons::YesNo, Icon::Question), BoxAnswer::No);
  EXPECT_FALSE(d.asked()[1].defaulted);
  EXPECT_EQ(d.unusedAnswers(), 0u);
  EXPECT_FALSE(d.scriptFollowed());  // the input box was answered by default
}

TEST(ScriptedDialogs, UnusedOrImpossibleAnswersBreakTheScript) {
  ScriptedDialogs unused;
  unused.answerMessage(BoxAnswer::Ok);
  EXPECT_FALSE(unused.scriptFollowed());

  ScriptedDialogs impossible;
  impossible.answerMessage(BoxAnswer::Cancel);
  EXPECT_EQ(impossible.MessageBox(u"q", u"T", Buttons::YesNo, Icon::None), BoxAnswer::Cancel);
  EXPECT_TRUE(impossible.asked()[0].notOffered);
  EXPECT_FALSE(impossible.scriptFollowed());
}

}  // namespace
}  // namespace dialogs
