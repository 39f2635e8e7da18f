# nsk_process: filled in by the process module.
