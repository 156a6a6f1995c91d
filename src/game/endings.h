#pragma once
// The two ends of a run, checked on every pass after the collisions: death first.

// Texts of the end-of-run questions.
extern const char* const DEATH_QUESTION;
extern const char* const WIN_QUESTION;
extern const char* const QUESTION_CAPTION;
constexpr int WINNING_SCORE = 50;

void CheckDeath();
void CheckWin();
// The run's music and mode sounds stop, as they do when it ends.
void StopRunSounds();
