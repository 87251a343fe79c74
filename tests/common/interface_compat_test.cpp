// The edition test of the interface declarations: the key code and input-box text types come from
// the declarations a module is compiled against, the 2016 edition's and the Linux edition's alike.
#include <gtest/gtest.h>

#include "interface_compat.h"

namespace {

// The Linux edition's forms of the two declarations.
struct LinuxVessel {
  virtual ~LinuxVessel() = default;
  virtual int clbkConsumeBufferedKey(int key, bool down, char *kstate);
};
using LinuxInputBox = void (*)(const char *title, bool (*cb)(void *, const char *, void *), const char *buf,
                              int vislen, void *usrdata);

TEST(InterfaceCompat, TypesFollowTheDeclarationsOfEitherEdition) {
  // this build's headers
#ifdef ARVEX_SDK_LINUX_VARIANT
  static_assert(std::is_same_v<frame::KeyCode, int>);
  static_assert(std::is_same_v<frame::InputBoxString, const char *>);
#else
  static_assert(std::is_same_v<frame::KeyCode, DWORD>);
  static_assert(std::is_same_v<frame::InputBoxString, char *>);
  static_assert(std::is_same_v<frame::InputBoxTitle, char *>);
#endif
  // the other edition's, through the same test
  using LinuxKey = frame::detail::KeyParameter<decltype(&LinuxVessel::clbkConsumeBufferedKey)>::type;
  using LinuxBox = frame::detail::InputBoxText<LinuxInputBox>;
  static_assert(std::is_same_v<LinuxKey, int>);
  static_assert(std::is_same_v<LinuxBox::text, const char *>);
  static_assert(std::is_same_v<LinuxBox::title, const char *>);
  SUCCEED();
}

}  // namespace
