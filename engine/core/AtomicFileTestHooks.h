// Test switch of the atomic writer: while set, every commit fails as a failed write would
// (temporary file removed, destination untouched, 0), so that tests of every writer can
// show what a failed save leaves.
#pragma once

void SetAtomicFileCommitFailure(bool fail);
