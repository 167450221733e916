#include "params/module1.h"

namespace tq {

std::string BuildNoAnswerText()
{
    return " La macchina non risponde !!\r\n\r\n Controllare che non sia \r\n in produzione";
}

}  // namespace tq
