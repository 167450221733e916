#include "app/Form1.h"

namespace tq {

void Form1::installFiles()
{
}

}  // namespace tq
