# nsk_store: filled in by the store module.
