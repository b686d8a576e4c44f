// The host database interfaces in one include: IDBObject, IDBMechanism, IDBCommand, IDBDataSet,
// IDBFields and IDBField (see each header for ownership and thread-safety).
#pragma once

#include "velmor/db_command.h"
#include "velmor/db_dataset.h"
#include "velmor/db_field.h"
#include "velmor/db_fields.h"
#include "velmor/db_mechanism.h"
#include "velmor/db_object.h"
