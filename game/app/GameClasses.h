// Makes every run-time class of the program creatable by name: the engine's libraries' and
// the game's. The program and every in-process game test call it first.
#pragma once

void RegisterGameClasses();
