// The process-wide state of the application frame and the interface, back at its start: what
// every test that starts an application needs first, since one process runs many of them.
#pragma once

// Makes the frame's class known by name, sets the frame clock to zero and clears the focus,
// capture and current modal window and the modal count.
void ResetFrameState();
