-- The import's claims on workbooks (one importer per workbook), for an archive kept from before
-- the table existed; a new archive has it from archive_schema.sql.
CREATE TABLE ZELMIMPXLSLOCK (
  CHIAVE CHAR(40) NOT NULL PRIMARY KEY
);
