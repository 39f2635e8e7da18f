# tests of nsk_process
