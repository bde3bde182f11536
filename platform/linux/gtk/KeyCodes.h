#pragma once
// Between X keysyms (GDK keyvals are the same numbers) and the portable key
// codes of platform/Keys.h.

namespace kv::platform {

// The portable code of a key given by its unshifted keysym; 0 when it has none.
int PortableKeyFromKeysym(unsigned int keysym);
// The keysym for a portable key code; 0 when there is none.
unsigned int KeysymFromPortableKey(int key);

}  // namespace kv::platform
