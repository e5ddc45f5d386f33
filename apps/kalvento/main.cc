// kalvento: writes the roulette report files Roula.html and Roulb.html into the
// current directory and ends. It reads no argument, file or setting.
#include "apps/app_sys.h"
#include "report/main_routine.h"
#include "runtime/start_sequence.h"

int main() {
  kalvento::apps::RegisterAppSys();
  kalvento::report::RegisterReportRoutines();
  return kalvento::rt::RunStartSequence("Main");
}
