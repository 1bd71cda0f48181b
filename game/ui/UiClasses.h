// The game interface's run-time classes: the desktop and the dialogs, found by name once
// this has been called.
#pragma once

void RegisterUiClasses();
