// The seams as the programs have them: a library of its own beside the
// engine, so that a test that defines them links no part of it.

#include "engine/filebytes/seams.h"
#include "engine/patience.h"

namespace engine::filebytes::seams {

int flushResult(Flushed, int result)
{
    return result;
}

int lockResult(int result)
{
    return result;
}

void reached(Step)
{
}

} // namespace engine::filebytes::seams

namespace engine::filebytes::settling {

Nanoseconds defaultBudget()
{
    return kBudget;
}

} // namespace engine::filebytes::settling
