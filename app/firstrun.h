// The first run's questions, asked at start-up before the main window opens.
#pragma once

namespace app {

// After a load that found no settings file: asks whether to use simple mode
// and sets the record's interface level from the answer.
void askFirstRunQuestions();

}  // namespace app
