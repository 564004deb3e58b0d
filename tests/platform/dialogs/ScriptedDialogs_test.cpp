#include "platform/dialogs/ScriptedDialogs.h"

#include <gtest/gtest.h>

namespace dialogs {
namespace {

// What the scripted boxes record and answer is seen by every window test; here, the cases in
// which a script was not followed, which those tests rely on to fail.
TEST(ScriptedDialogs, DefaultsUnusedAnswersAndButtonsNotOfferedBreakTheScript) {
  ScriptedDialogs d;
  d.answerMessage(BoxAnswer::No);
  EXPECT_EQ(d.InputBox(u"p", u"T", u"kept"), u"kept");  // the answer waits for its kind of box
  EXPECT_TRUE(d.asked()[0].defaulted);
  EXPECT_EQ(d.MessageBox(u"q", u"T", Buttons::YesNo, Icon::Question), BoxAnswer::No);
  EXPECT_FALSE(d.asked()[1].defaulted);
  EXPECT_EQ(d.MessageBox(u"t", u"T", Buttons::YesNoCancel, Icon::None), BoxAnswer::Yes);
  EXPECT_TRUE(d.asked()[2].defaulted);
  EXPECT_FALSE(d.scriptFollowed());

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
