#pragma once
// The robot's answer to the report's print dialog.

class Robo;

namespace host {

// Answers every dialog named "DialogoImpressao" from the robot's print queue.
void registraImpressao(Robo& robo);

} // namespace host
