// A button that opens a URL: writes itself as one DefineButton2 whose states show the given
// characters and whose single condition record (on release) runs a get-URL action. The scenes
// use it for the link that covers the whole stage.
#pragma once

#include <cstdint>
#include <string>

namespace tavro {

class CSwfWriter;

class CSwfButton {
public:
    enum State { kUp = 0, kOver = 1, kDown = 2, kHitTest = 3 };

    int32_t id = -1;                        // -1 until written
    int32_t menu = 0;                       // 0 or 1
    int32_t stateIds[4] = {-1, -1, -1, -1}; // character per State; not above 0: absent
    std::string url;
    std::string target;

    // Writes the DefineButton2 with `newId` (just taken from NextCharacterId) and keeps it.
    // Records, in the order up, over, down, hit test, for each state whose id is above 0. Without
    // a URL no condition record is written, only the empty one that ends the list.
    void Write(CSwfWriter& writer, uint16_t newId);
};

} // namespace tavro
