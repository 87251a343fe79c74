// The two declarations in which the simulator's interface headers differ between their editions,
// read off whichever headers the module is compiled against, so that one source builds with both:
//  - the key code of VESSEL2::clbkConsumeBufferedKey: DWORD in the 2016 edition, int on Linux;
//  - the text of an input box's callback, bool (*)(void *id, TEXT str, void *usrdata), and the
//    title and buffer of oapiOpenInputBox: char * in the 2016 edition, const char * on Linux.
// The types are taken from the declarations themselves (a feature test, not a version number), so
// no macro of the headers needs to be known.
#pragma once

#include <type_traits>

#include "Orbitersdk.h"

namespace frame {

namespace detail {
template <class Member>
struct KeyParameter;
template <class C, class K>
struct KeyParameter<int (C::*)(K, bool, char *)> {
  using type = K;
};

template <class Function>
struct InputBoxText;
template <class Title, class Text, class... Rest>
struct InputBoxText<void (*)(Title, bool (*)(void *, Text, void *), Rest...)> {
  using text = Text;
  using title = Title;
};
}  // namespace detail

// The key code type of clbkConsumeBufferedKey.
using KeyCode = typename detail::KeyParameter<decltype(&VESSEL2::clbkConsumeBufferedKey)>::type;
// The string type an input box hands its callback, and the type of the box's title.
using InputBoxString = typename detail::InputBoxText<decltype(&oapiOpenInputBox)>::text;
using InputBoxTitle = typename detail::InputBoxText<decltype(&oapiOpenInputBox)>::title;

static_assert(std::is_integral_v<KeyCode>, "clbkConsumeBufferedKey takes an integral key code");

}  // namespace frame
