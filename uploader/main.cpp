// Quillpost: the one-shot uploader. Where someone can answer a box, the start-up runs in its
// window with the system's boxes; otherwise (Linux: no display, or one that cannot be reached;
// Windows: no visible window station, or standard error redirected) no window is made, every
// box goes to standard error as one record and is answered with its default. A successful
// upload writes one record on standard output. The exit status says how the upload ended.
#include "uploader/ProgramMain.h"
#include "uploader/WindowStart.h"

int main(int argc, char** argv) {
  return QuillpostMain(argc, argv, {QP_VERSION, nullptr, {}, &RunInWindow});
}
