#pragma once
// The Java download address shown as the dialog's link. A plain macro, because
// the resource compiler reads this file too.
#define JLAUNCH_JAVA_DOWNLOAD_ADDRESS "https://java.com"
