#include "SpringBoard-Vantle.h"

#include "NSDictionary-Vantle.h"
#include "NSDictionary.h"
#include "NSThread.h"
#include "PLWriter.h"
#include "VTWindowLink.h"

namespace UIApplicationVantle {

bool registerNotification(const id& record)
{
    if (!notificationIsConsistent(record)) {
        return false;
    }
    NSThread::detachNewThread([record = as<NSDictionary>(record)] { PLWriter::write(record); });
    return true;
}

bool notificationIsConsistent(const id& object)
{
    const auto record = as<NSDictionary>(object);
    return record && NSDictionaryVantle::application(*record) && NSDictionaryVantle::body(*record) &&
           NSDictionaryVantle::date(*record);
}

bool isVantleOpen()
{
    return VTWindowLink::isSharedWindowShown();
}

} // namespace UIApplicationVantle
