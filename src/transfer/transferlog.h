#pragma once

#include <QLoggingCategory>

// Job file transfer: the transfer connection, uploads and synchronisation ("kelvo.transfer").
Q_DECLARE_LOGGING_CATEGORY(lcTransfer)
