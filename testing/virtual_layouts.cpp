// The simulated keyboard layouts of the tests, after the X keyboard data of those countries
// (AltGr levels only where the course's characters or a label need them).
#include "testing/virtual_host.h"

namespace {

// The 47 character keys in the order of the on-screen keyboard: the digit row from the key
// left of 1, then the three letter rows, each with its keys to the right.
constexpr SDL_Scancode CharacterKeys[47] = {SDL_SCANCODE_GRAVE,
                                            SDL_SCANCODE_1,
                                            SDL_SCANCODE_2,
                                            SDL_SCANCODE_3,
                                            SDL_SCANCODE_4,
                                            SDL_SCANCODE_5,
                                            SDL_SCANCODE_6,
                                            SDL_SCANCODE_7,
                                            SDL_SCANCODE_8,
                                            SDL_SCANCODE_9,
                                            SDL_SCANCODE_0,
                                            SDL_SCANCODE_MINUS,
                                            SDL_SCANCODE_EQUALS,
                                            SDL_SCANCODE_Q,
                                            SDL_SCANCODE_W,
                                            SDL_SCANCODE_E,
                                            SDL_SCANCODE_R,
                                            SDL_SCANCODE_T,
                                            SDL_SCANCODE_Y,
                                            SDL_SCANCODE_U,
                                            SDL_SCANCODE_I,
                                            SDL_SCANCODE_O,
                                            SDL_SCANCODE_P,
                                            SDL_SCANCODE_LEFTBRACKET,
                                            SDL_SCANCODE_RIGHTBRACKET,
                                            SDL_SCANCODE_BACKSLASH,
                                            SDL_SCANCODE_A,
                                            SDL_SCANCODE_S,
                                            SDL_SCANCODE_D,
                                            SDL_SCANCODE_F,
                                            SDL_SCANCODE_G,
                                            SDL_SCANCODE_H,
                                            SDL_SCANCODE_J,
                                            SDL_SCANCODE_K,
                                            SDL_SCANCODE_L,
                                            SDL_SCANCODE_SEMICOLON,
                                            SDL_SCANCODE_APOSTROPHE,
                                            SDL_SCANCODE_Z,
                                            SDL_SCANCODE_X,
                                            SDL_SCANCODE_C,
                                            SDL_SCANCODE_V,
                                            SDL_SCANCODE_B,
                                            SDL_SCANCODE_N,
                                            SDL_SCANCODE_M,
                                            SDL_SCANCODE_COMMA,
                                            SDL_SCANCODE_PERIOD,
                                            SDL_SCANCODE_SLASH};

// Rows of 47 characters, one per key above; the space bar and the extra keys come after.
SimulatedLayout makeLayout(std::u32string_view alone, std::u32string_view shifted,
                           std::u32string_view altGr, std::vector<SimulatedKey> more) {
    SimulatedLayout layout;
    for (size_t k = 0; k < std::size(CharacterKeys); ++k)
        layout.push_back({CharacterKeys[k], alone[k], shifted[k], altGr[k]});
    layout.push_back({SDL_SCANCODE_SPACE, U' ', U' ', U' '});
    layout.insert(layout.end(), more.begin(), more.end());
    return layout;
}

}  // namespace

const SimulatedLayout& usLayout() {
    static const SimulatedLayout layout = makeLayout(
        U"`1234567890-=qwertyuiop[]\\asdfghjkl;'zxcvbnm,./",
        U"~!@#$%^&*()_+QWERTYUIOP{}|ASDFGHJKL:\"ZXCVBNM<>?", std::u32string(47, U' '), {});
    return layout;
}

// QWERTZ; dead keys: circumflex left of 1, acute and grave right of ß.
const SimulatedLayout& germanLayout() {
    static const SimulatedLayout layout =
        makeLayout(U"\u03021234567890ß\u0301qwertzuiopü+#asdfghjklöäyxcvbnm,.-",
                   U"°!\"§$%&/()=?\u0300QWERTZUIOPÜ*'ASDFGHJKLÖÄYXCVBNM;:_",
                   U" ¹²³¼½¬{[]}\\\u0327@ €     ø \u0308~           \u0302      µ·  ",
                   {{SDL_SCANCODE_NONUSBACKSLASH, U'<', U'>', U'|'}});
    return layout;
}

const SimulatedLayout& colemakLayout() {
    static const SimulatedLayout layout = makeLayout(
        U"`1234567890-=qwfpgjluy;[]\\arstdhneio'zxcvbkm,./",
        U"~!@#$%^&*()_+QWFPGJLUY:{}|ARSTDHNEIO\"ZXCVBKM<>?", std::u32string(47, U' '), {});
    return layout;
}

const char* simulatedLayoutName(const SimulatedLayout& layout) {
    return &layout == &germanLayout()    ? "de"
           : &layout == &frenchLayout()  ? "fr"
           : &layout == &dvorakLayout()  ? "us(dvorak)"
           : &layout == &colemakLayout() ? "us(colemak)"
                                         : "us";
}

// AZERTY: digits with Shift; dead circumflex and diaeresis right of P.
const SimulatedLayout& frenchLayout() {
    static const SimulatedLayout layout =
        makeLayout(U"²&é\"'(-è_çà)=azertyuiop\u0302$*qsdfghjklmùwxcvbn,;:!",
                   U"~1234567890°+AZERTYUIOP\u0308£µQSDFGHJKLM%WXCVBN?./§",
                   U"¬¹~#{[|`\\^@]}  €       \u0308¤\u0300         µ\u0302      \u0301 · ",
                   {{SDL_SCANCODE_NONUSBACKSLASH, U'<', U'>', U'|'}});
    return layout;
}

// Dvorak on a US keyboard. The key between left Shift and Z gives what the X keyboard data
// gives it on every 105-key keyboard, characters other keys give too.
const SimulatedLayout& dvorakLayout() {
    static const SimulatedLayout layout =
        makeLayout(U"`1234567890[]',.pyfgcrl/=\\aoeuidhtns-;qjkxbmwvz",
                   U"~!@#$%^&*(){}\"<>PYFGCRL?+|AOEUIDHTNS_:QJKXBMWVZ", std::u32string(47, U' '),
                   {{SDL_SCANCODE_NONUSBACKSLASH, U'<', U'>', U'|'}});
    return layout;
}
