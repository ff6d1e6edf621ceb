#pragma once

namespace quorrel {

// Sets the program's font: a CJK sans-serif face at 9 points, so that the
// Chinese captions render on every desktop. Call after QApplication exists.
void UseProgramFont();

} // namespace quorrel
