// The message routine: caption and body, the buffer's limit, the owner window.

#include <string>

#include "deformer/message_routine.h"
#include "host/headless/heap_control.h"
#include "host/scene_fixture.h"

namespace {

class MessageRoutine : public SceneTest {
protected:
  void SetUp() override {
    SceneTest::SetUp();
    SetMessageOwner(host().GetMAXHWnd());
  }
  const MessageRecord& Last() { return host().Messages().Records().back(); }
};

TEST_F(MessageRoutine, CaptionIsTheTextBeforeTheFirstBar) {
  struct Case {
    const char* name;
    const char* text;
    const wchar_t* caption;
    const wchar_t* body;
  };
  const Case cases[] = {
      {"no bar: a blank caption", "Just a text", L" ", L"Just a text"},
      {"one bar", "Tessarin|No bones found\n\rAssign bones first", L"Tessarin", L"No bones found\n\rAssign bones first"},
      {"two bars: the second stays in the body", "Cap|left|right", L"Cap", L"left|right"},
      {"bar first: empty caption", "|body", L"", L"body"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ShowSkinMessage(nullptr, MB_ICONEXCLAMATION, "%s", c.text), IDOK);
    EXPECT_EQ(Last().caption, c.caption);
    EXPECT_EQ(Last().text, c.body);
    EXPECT_EQ(Last().type, MB_ICONEXCLAMATION);
    EXPECT_EQ(Last().owner, host().GetMAXHWnd());
  }
  EXPECT_EQ(host().Messages().ForegroundWindow(), host().GetMAXHWnd());
}

TEST_F(MessageRoutine, FormatsUtf8ArgumentsIntoWideText) {
  ShowSkinMessage(nullptr, MB_OK, "Tessarin|Can't get mesh from node %s", "Kn\xC3\xB6" "chel");
  EXPECT_EQ(Last().text, L"Can't get mesh from node Kn\u00F6chel");
}

TEST_F(MessageRoutine, LongTextsAreCutTo2046Characters) {
  const std::string path(3000, 'x');
  ShowSkinMessage(nullptr, MB_OK, "Cap|%s", path.c_str());
  EXPECT_EQ(Last().caption, L"Cap");
  EXPECT_EQ(Last().text, std::wstring(2046 - 4, L'x'));

  // A cut through a two-byte character drops the half, not shows it as a broken character.
  const std::string tail = std::string(2045, 'y') + "\xC3\xA9";
  ShowSkinMessage(nullptr, MB_OK, "%s", tail.c_str());
  EXPECT_EQ(Last().text, std::wstring(2045, L'y'));
}

TEST_F(MessageRoutine, NothingIsShownWithoutItsBuffer) {
  FailNextHeapAllocations(1);
  EXPECT_EQ(ShowSkinMessage(nullptr, MB_OK, "Cap|body"), 0);
  EXPECT_TRUE(host().Messages().Records().empty());
}

TEST_F(MessageRoutine, ReturnsTheButtonPressed) {
  host().Messages().SetResponder([](const MessageRecord&) { return IDNO; });
  EXPECT_EQ(ShowSkinMessage(nullptr, MB_YESNO, "Q|Sure?"), IDNO);
  host().Messages().SetResponder(nullptr);
}

}  // namespace
