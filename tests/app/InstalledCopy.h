#pragma once
// Runs a window test as the utility runs: from a program folder of its own. The starting process
// lays out a fresh folder holding a link to (or copy of) this test program and a private settings
// root, then runs the current test again in that copy, where ProgramFolder() is the fresh folder
// and the bare name "Tallyrune.exe" is found there.
//
//     if (!InInstalledCopy())
//         return; // the copy ran the test; its outcome is checked here
//
// The copy starts in another fresh folder, so nothing is found by the current folder either.
bool InInstalledCopy();
