# tests of nsk_names and nsk_store
